#pragma once
// The Qt backend of the dialog framework: a QDialog built from a dialog template, with the
// template's dialog units converted through the dialog font's metrics, and IDialogHost implemented
// over the widgets it made.
#include "platform/CDialog.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>

class QButtonGroup;

namespace polyvane {

class QtDialogHost;

// Dialog units to pixels: a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.
struct DialogUnits {
    int baseX = 6;
    int baseY = 13;
    static DialogUnits ForFont(const QFont& font);
    [[nodiscard]] int X(int units) const { return (units * baseX + 2) / 4; }
    [[nodiscard]] int Y(int units) const { return (units * baseY + 4) / 8; }
    // Maps each edge, so adjacent controls stay adjacent.
    [[nodiscard]] QRect Rect(int x, int y, int cx, int cy) const {
        return QRect(QPoint(X(x), Y(y)), QPoint(X(x + cx) - 1, Y(y + cy) - 1));
    }
};

// The dialog's font: the template's family when the system has it, else the system's, at the
// template's point size.
QFont DialogFont(const DialogTemplate& dialogTemplate);

// A grey-framed static that reports clicks and shows the last solid fill its owner gave it.
class QtSwatch final : public QWidget {
    Q_OBJECT
  public:
    explicit QtSwatch(QWidget* parent) : QWidget(parent) {}
    void SetFill(const QRect& rect, const QColor& colour);
    void ClearFill();
    [[nodiscard]] std::optional<std::pair<QRect, QColor>> Fill() const { return m_fill; }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::optional<std::pair<QRect, QColor>> m_fill;
};

// The window: routes Enter, Escape and the close box to the dialog's logic and runs the logic's
// refresh on the repaint after one was requested.
class QtDialogWindow final : public QDialog {
    Q_OBJECT
  public:
    QtDialogWindow(QtDialogHost& host, QWidget* parent);
    void accept() override;
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QtDialogHost& m_host;
};

class QtDialogHost final : public IDialogHost {
  public:
    QtDialogHost(const DialogTemplate& dialogTemplate, QWidget* parent);
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    // Attaches the logic and runs its initialisation; the window is not shown yet.
    void Open(CDialog& dialog);
    // Open, then the modal loop; the dialog's result (IDCANCEL when closed otherwise).
    int RunModal(CDialog& dialog);

    [[nodiscard]] QtDialogWindow* Window() const { return m_window.get(); }
    [[nodiscard]] QWidget* Control(int id) const;
    [[nodiscard]] const DialogUnits& Units() const { return m_units; }
    [[nodiscard]] std::optional<int> Result() const { return m_result; }

    // From the window.
    void Command(int id);
    void PaintRequested();

    // IDialogHost
    [[nodiscard]] bool HasControl(int id) const override { return Control(id) != nullptr; }
    [[nodiscard]] ControlKind KindOf(int id) const override;
    void EnableControl(int id, bool enable) override;
    [[nodiscard]] bool IsControlEnabled(int id) const override;
    void SetControlText(int id, std::string_view text) override;
    [[nodiscard]] std::string GetControlText(int id) const override;
    void SetCheck(int id, int state) override;
    [[nodiscard]] int GetCheck(int id) const override;
    void Invalidate(bool erase) override;
    [[nodiscard]] CRect GetControlClientRect(int id) const override;
    void FillSolidRect(int id, const CRect& rect, COLORREF colour) override;
    void SetSliderRange(int id, int minimum, int maximum, bool redraw) override;
    void SetSliderTickFrequency(int id, int frequency) override;
    void SetSliderPos(int id, int position) override;
    [[nodiscard]] int GetSliderPos(int id) const override;
    int ListAddString(int id, std::string_view text) override;
    [[nodiscard]] int ListGetCurSel(int id) const override;
    [[nodiscard]] std::string ListGetText(int id, int index) const override;
    void ListDeleteString(int id, int index) override;
    [[nodiscard]] int ListGetCount(int id) const override;
    void FocusControl(int id) override;
    void EndDialog(int result) override;

  private:
    struct Entry {
        ControlKind kind;
        std::uint32_t style;
        QPointer<QWidget> widget;
        QButtonGroup* group = nullptr;
    };
    const Entry* Find(int id) const;
    void Build(const DialogTemplate& dialogTemplate);

    std::unique_ptr<QtDialogWindow> m_window;
    DialogUnits m_units;
    std::map<int, Entry> m_controls;
    CDialog* m_pLogic = nullptr;
    std::optional<int> m_result;
    bool m_bRefreshPending = true;
    bool m_bRefreshing = false;
};

} // namespace polyvane
