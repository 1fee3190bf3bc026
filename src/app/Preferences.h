#pragma once
// The user's preferences, kept in the settings beside the recently-used list, and the dialog that
// edits them.
#include <QDialog>

#include <cstddef>

class QSpinBox;

namespace polyvane {

struct Preferences {
    // The most memory, in MiB, each document's history holds before it drops its oldest steps.
    int historyMiB = kDefaultHistoryMiB;

    static constexpr int kDefaultHistoryMiB = 512;
    static constexpr int kMaxHistoryMiB = 1 << 20;

    [[nodiscard]] std::size_t HistoryBytes() const { return static_cast<std::size_t>(historyMiB) << 20; }
    // What the settings hold, with defaults where they hold nothing usable.
    [[nodiscard]] static Preferences Load();
    void Save() const;
};

class CPreferencesDlg final : public QDialog {
    Q_OBJECT
  public:
    explicit CPreferencesDlg(const Preferences& preferences, QWidget* parent = nullptr);
    [[nodiscard]] Preferences Chosen() const;

  private:
    Preferences m_preferences;
    QSpinBox* m_historyMiB;
};

} // namespace polyvane
