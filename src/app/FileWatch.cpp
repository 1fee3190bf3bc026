#include "FileWatch.h"

#include "CPolyvaneApp.h"
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace polyvane {

namespace {
// Writers that replace a file by rename remove it for a moment; a path still missing after this
// long is taken as removed, and bursts of writes come to one check.
constexpr int kSettleMs = 200;
// How often the watched set follows the documents (textures come and go through many commands).
constexpr int kSyncMs = 1000;

QString Key(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}
} // namespace

FileWatch::FileWatch(CPolyvaneApp& app) : m_app(app) {
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::Changed);
    connect(&m_syncTimer, &QTimer::timeout, this, &FileWatch::Sync);
    m_syncTimer.start(kSyncMs);
}

QByteArray FileWatch::Digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    return hash.result();
}

void FileWatch::Sync() {
    QSet<QString> wanted;
    for (CPolyvaneDoc* doc : m_app.Documents()) {
        if (!doc->GetPathName().empty())
            wanted.insert(Key(QString::fromStdString(doc->GetPathName())));
        for (const TimImage& tim : doc->Textures())
            if (!tim.fileName.empty())
                wanted.insert(Key(QString::fromStdString(tim.fileName)));
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (wanted.contains(it->first)) {
            ++it;
            continue;
        }
        m_watcher.removePath(it->first);
        m_pending.remove(it->first);
        it = m_entries.erase(it);
    }
    const QStringList watched = m_watcher.files();
    for (const QString& path : wanted) {
        const bool known = m_entries.contains(path);
        if (!known)
            m_entries[path] = Entry{Digest(path), false};
        if (watched.contains(path) || !QFileInfo::exists(path))
            continue;
        m_watcher.addPath(path);
        if (known)
            Changed(path);
    }
}

void FileWatch::Saved(const QString& path) {
    const QString key = Key(path);
    m_entries[key] = Entry{Digest(key), false};
    if (!m_watcher.files().contains(key))
        m_watcher.addPath(key);
}

bool FileWatch::IsWatching(const QString& path) const {
    return m_watcher.files().contains(Key(path));
}

void FileWatch::Changed(const QString& path) {
    if (m_pending.contains(path))
        return;
    m_pending.insert(path);
    QTimer::singleShot(kSettleMs, this, [this, path] { Check(path); });
}

void FileWatch::Check(const QString& path) {
    if (!m_pending.remove(path))
        return;
    const auto found = m_entries.find(path);
    if (found == m_entries.end())
        return;
    // A question is open: this change waits until it is answered.
    if (m_bChecking) {
        Changed(path);
        return;
    }
    Entry& entry = found->second;
    if (!QFileInfo::exists(path)) {
        if (!entry.removed) {
            entry.removed = true;
            AfxMessageBox(QFileInfo(path).fileName().toStdString() + " has been removed from disk");
        }
        return;
    }
    if (!m_watcher.files().contains(path))
        m_watcher.addPath(path);
    entry.removed = false;
    QByteArray digest = Digest(path);
    if (digest == entry.contents)
        return;
    // Taken as seen before reloading: a file that does not read yet (its writer is not done) is
    // tried again at its next change, and a reload the user declined is not asked again.
    entry.contents = std::move(digest);
    m_bChecking = true;
    m_app.FileChangedOnDisk(path);
    m_bChecking = false;
}

} // namespace polyvane
