#include "RecentFileList.h"

#include "CommandTable.h"
#include "gamedata/Address.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace polyvane {

namespace {
constexpr const char* kSection = "Recent File List";

QSettings Settings() {
    return QSettings(QString::fromUtf8(resources::kCompanyKey), QString::fromUtf8(resources::kAppName));
}

QString Key(int index) {
    return QStringLiteral("%1/File%2").arg(QString::fromUtf8(kSection)).arg(index + 1);
}

// Entries name the same file when their absolute paths are the same.
QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

void RecentFileList::Load() {
    QSettings settings = Settings();
    m_entries.clear();
    for (int i = 0; i < m_capacity; ++i) {
        const QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty() && !m_entries.contains(path))
            m_entries.append(path);
    }
}

void RecentFileList::Add(const QString& path) {
    const QString entry = Normalised(path);
    m_entries.removeAll(entry);
    m_entries.prepend(entry);
    while (m_entries.size() > m_capacity)
        m_entries.removeLast();
    Save();
}

void RecentFileList::Remove(int index) {
    if (index < 0 || index >= m_entries.size())
        return;
    m_entries.removeAt(index);
    Save();
}

QString RecentFileList::MenuText(int index) const {
    if (index < 0 || index >= m_entries.size())
        return {};
    const QString& entry = m_entries[index];
    QString path = QDir::toNativeSeparators(entry);
    // Long entries keep their start and what tells them apart: the file name, and for an item found in
    // game data the image's name with the whole address after it. A tail too long itself loses its
    // middle, keeping the offset at its end.
    constexpr int kMaxShown = 60;
    constexpr int kMinHead = 3;
    const QString ellipsis = QStringLiteral("...");
    if (path.size() > kMaxShown) {
        const auto address = gamedata::ParseAddress(QFile::encodeName(entry).toStdString());
        const QString container = address ? QFile::decodeName(address->container.c_str()) : entry;
        QString tail = path.mid(QDir::toNativeSeparators(container).lastIndexOf(QDir::separator()) + 1);
        const int room = kMaxShown - kMinHead - 2 * static_cast<int>(ellipsis.size()) - 1;
        if (tail.size() > room)
            tail = tail.left(room / 2) + ellipsis + tail.right(room - room / 2);
        const int head = std::max<int>(kMinHead, kMaxShown - static_cast<int>(tail.size()) - 4);
        path = path.left(head) + ellipsis + QDir::separator() + tail;
    }
    path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(path);
}

void RecentFileList::Save() const {
    QSettings settings = Settings();
    for (int i = 0; i < m_capacity; ++i) {
        if (i < m_entries.size())
            settings.setValue(Key(i), m_entries[i]);
        else
            settings.remove(Key(i));
    }
    settings.sync();
}

} // namespace polyvane
