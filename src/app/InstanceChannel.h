#pragma once
// Hands files to the instance of the program already running for this user, so that opening a file
// from the desktop while the editor runs opens it there.
#include <QObject>
#include <QStringList>

class QLocalServer;

namespace polyvane {

class InstanceChannel final : public QObject {
    Q_OBJECT
  public:
    explicit InstanceChannel(QString key = DefaultKey(), QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The channel's name for the current user.
    static QString DefaultKey();
    // Sends the absolute paths to a running instance; true when one took them.
    [[nodiscard]] bool SendToRunning(const QStringList& paths, int timeoutMs = 1000) const;
    // Starts answering later instances; false when the channel cannot be opened.
    bool Listen();

  signals:
    void filesReceived(const QStringList& paths);

  private:
    QString m_key;
    QLocalServer* m_server = nullptr;
};

} // namespace polyvane
