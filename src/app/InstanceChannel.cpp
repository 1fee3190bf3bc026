#include "InstanceChannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace polyvane {

InstanceChannel::InstanceChannel(QString key, QObject* parent) : QObject(parent), m_key(std::move(key)) {}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::DefaultKey() {
    // The home directory tells users apart without asking the system for a user name.
    const QByteArray home = QDir::homePath().toUtf8();
    return QStringLiteral("polyvane-") +
           QString::fromLatin1(QCryptographicHash::hash(home, QCryptographicHash::Sha1).toHex().left(16));
}

bool InstanceChannel::SendToRunning(const QStringList& paths, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    for (const QString& path : paths)
        message += QFileInfo(path).absoluteFilePath().toUtf8() + '\n';
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

bool InstanceChannel::Listen() {
    {
        QLocalSocket probe;
        probe.connectToServer(m_key);
        if (probe.waitForConnected(200))
            return false; // another instance answers on it
    }
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_key)) {
        // A channel left behind by an instance that crashed: take it over.
        QLocalServer::removeServer(m_key);
        if (!m_server->listen(m_key))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket] {
                QStringList paths;
                for (const QByteArray& line : socket->readAll().split('\n'))
                    if (!line.isEmpty())
                        paths.append(QString::fromUtf8(line));
                if (!paths.isEmpty())
                    emit filesReceived(paths);
            });
        }
    });
    return true;
}

} // namespace polyvane
