#pragma once
// The full-screen window of the display preview. It shows one page of the preview's flip chain,
// scaled to the screen with its shape kept, on black, and notes the keys and clicks that end it.
#include <QImage>
#include <QWidget>

#include <utility>

class QScreen;

namespace polyvane {

class PreviewWindow final : public QWidget {
  public:
    static constexpr const char* kObjectName = "polyvanePreview";

    explicit PreviewWindow(QScreen* screen);

    // Shows `page` (null for black) at once; the page must outlive its showing.
    void Present(const QImage* page);
    [[nodiscard]] const QImage* Presented() const { return m_page; }
    // The rectangle the page is drawn into, in the window's coordinates.
    [[nodiscard]] QRect PageRect() const;
    // True when a key was pressed or a button clicked on the window since the last call.
    [[nodiscard]] bool TakeInput() { return std::exchange(m_bInput, false); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    const QImage* m_page = nullptr;
    bool m_bInput = false;
};

} // namespace polyvane
