#pragma once
// Notices when the files the open documents were read from, and the textures loaded into them, are
// written again or removed by another program, and has the application reload them.
#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <map>

namespace polyvane {

class CPolyvaneApp;

class FileWatch final : public QObject {
    Q_OBJECT
  public:
    explicit FileWatch(CPolyvaneApp& app);

    // Brings the watched files in line with the documents and their textures: new ones are watched
    // as they are now, ones no longer used are dropped, and one that is back on disk after a
    // removal (or a replacement by rename) is watched again and checked.
    void Sync();
    // Our own save wrote `path`: its new contents are not a change from outside.
    void Saved(const QString& path);
    [[nodiscard]] bool IsWatching(const QString& path) const;

  private:
    struct Entry {
        QByteArray contents; // a digest of the contents last seen or written
        bool removed = false;
    };
    void Changed(const QString& path);
    void Check(const QString& path);
    static QByteArray Digest(const QString& path);

    CPolyvaneApp& m_app;
    QFileSystemWatcher m_watcher;
    QTimer m_syncTimer;
    std::map<QString, Entry> m_entries;
    // Paths whose check is waiting for a writer's rename or burst of writes to finish.
    QSet<QString> m_pending;
    bool m_bChecking = false;
};

} // namespace polyvane
