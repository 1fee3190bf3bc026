#pragma once
// The scan window: the files of a scanned image (or the one plain file) as a tree, each with the
// models and textures found in it and a thumbnail of each; a progress bar with Cancel while the scan
// runs in a thread of its own, a filter by format, and the actions on hits: open, load textures into
// the active model, extract.
#include "gamedata/Scanner.h"

#include <QPixmap>
#include <QWidget>

#include <atomic>
#include <memory>
#include <thread>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace polyvane {

class CPolyvaneApp;

class ScanWindow final : public QWidget {
    Q_OBJECT
  public:
    // Opens `input` and starts scanning it; a failed open shows its message and leaves the window
    // empty.
    ScanWindow(CPolyvaneApp& app, const QString& input, QWidget* parent = nullptr);
    ~ScanWindow() override;

    [[nodiscard]] bool IsScanning() const { return m_worker.joinable() && !m_finished; }
    [[nodiscard]] QTreeWidget* Tree() const { return m_tree; }
    [[nodiscard]] const gamedata::ScanReport& Report() const { return m_report; }
    // Waits for the scan to end (tests).
    void WaitForScan();

    // The actions of the window's buttons, over the selected hits.
    void OpenSelected();
    // Adds the textures found in the selected hit's file (`wholeImage`: in the whole image) to the
    // active model's textures. Returns how many were added.
    int LoadTextures(bool wholeImage);
    // Writes every selected hit's bytes into `folder`; returns how many were written.
    int ExtractSelected(const QString& folder);

  private:
    void Cancel();
    void Finished();
    void Populate();
    void ApplyFilter();
    [[nodiscard]] QPixmap Thumbnail(const gamedata::ScanHit& hit,
                                    const std::vector<std::uint8_t>& bytes) const;
    [[nodiscard]] std::vector<std::uint8_t> HitBytes(const gamedata::ScanHit& hit) const;
    [[nodiscard]] std::vector<const gamedata::ScanHit*> SelectedHits() const;

    CPolyvaneApp& m_app;
    std::unique_ptr<gamedata::DiscImage> m_image;
    gamedata::ScanReport m_report;
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_finished{false};
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QComboBox* m_filter = nullptr;
    QTreeWidget* m_tree = nullptr;
};

} // namespace polyvane
