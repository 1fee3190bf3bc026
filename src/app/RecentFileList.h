#pragma once
// The recently-used file list, newest first, kept in the per-user settings.
#include <QString>
#include <QStringList>

namespace polyvane {

class RecentFileList {
  public:
    explicit RecentFileList(int capacity) : m_capacity(capacity) {}

    // Reads the list from the settings.
    void Load();
    // Puts `path` first (once), pushing out the oldest entry when the list is full, and stores it.
    void Add(const QString& path);
    void Remove(int index);
    [[nodiscard]] const QStringList& Entries() const { return m_entries; }
    [[nodiscard]] int Capacity() const { return m_capacity; }
    // The menu text of entry `index`: its number as access key and the path.
    [[nodiscard]] QString MenuText(int index) const;

  private:
    void Save() const;

    int m_capacity;
    QStringList m_entries;
};

} // namespace polyvane
