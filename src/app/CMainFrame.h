#pragma once
// The main window: the document windows in an MDI area, the menu bar (the document menus while a
// document window is active, the short menus otherwise), the toolbar and the status bar. It routes
// every command and keeps every item's enabled and checked state.
#include "platform/CCmdTarget.h"

#include <QList>
#include <QMainWindow>
#include <QSize>

#include <array>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace polyvane {

class CChildFrame;
class CPolyvaneApp;

class CMainFrame final : public QMainWindow, public CCmdTarget {
    Q_OBJECT
  public:
    explicit CMainFrame(CPolyvaneApp& app);
    ~CMainFrame() override;

    // Builds the menus, toolbar, accelerators and status bar from the command table.
    bool LoadFrame();

    [[nodiscard]] QMdiArea* MdiArea() const { return m_mdiArea; }
    [[nodiscard]] CChildFrame* ActiveChildFrame() const;
    void AddChildFrame(CChildFrame* frame);
    // Takes a closed document window out of the area and activates the one below it.
    void RemoveChildFrame(CChildFrame* frame);
    // The size a new or cascaded window takes in an area of `area`: three quarters of it, but a
    // texture view no smaller than its texture (with the frame's borders) as far as the area allows.
    [[nodiscard]] static QSize DefaultFrameSize(const CChildFrame& frame, QSize area);
    // The Window menu's entries for the open windows (numbered, the active one checked).
    [[nodiscard]] QList<QAction*> WindowListActions() const { return m_windowListActions; }

    // Routes a command: the active view, its document, the active child frame, this frame, the
    // application. Returns whether anyone handled it.
    bool ExecuteCommand(unsigned id);
    // Asks the same chain for the command's state; disabled when nobody handles it.
    bool UpdateCommand(CCmdUI& state);
    // Brings every menu item, button and the titles up to date: the one place that does it.
    void RefreshCommandStates();

    // The action of command `id` (menu item, button and shortcuts share it); null when none.
    [[nodiscard]] QAction* Action(unsigned id) const;
    [[nodiscard]] QToolBar* ToolBar() const { return m_toolBar; }
    [[nodiscard]] QLabel* IdleLabel() const { return m_idleLabel; }
    [[nodiscard]] QLabel* Indicator(int index) const { return m_indicators[static_cast<std::size_t>(index)]; }
    // The menus of the menu bar as it stands.
    [[nodiscard]] QList<QMenu*> CurrentMenus() const;

    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* MakeAction(unsigned id, const QString& text);
    std::vector<QMenu*> BuildMenuBar(bool documentMenus);
    void ShowMenus(bool documentMenus);
    void BuildToolBar();
    void BuildStatusBar();
    void UpdateIndicators();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void RebuildWindowList(QMenu* menu);
    void ChooseFromAllWindows();

    void OnViewToolBar();
    void OnUpdateViewToolBar(CCmdUI* state);
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CCmdUI* state);
    void OnWindowNew();
    void OnUpdateNeedsDocument(CCmdUI* state);
    void OnWindowCascade();
    void OnWindowTile();
    void OnWindowArrange();
    void OnNextPane();
    void OnPrevPane();
    void OnAppExit();

    CPolyvaneApp& m_app;
    QMdiArea* m_mdiArea = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_idleLabel = nullptr;
    std::array<QLabel*, 3> m_indicators{};
    std::array<bool, 3> m_lockStates{};
    std::map<unsigned, QAction*> m_actions;
    std::vector<QMenu*> m_documentMenus;
    std::vector<QMenu*> m_frameMenus;
    bool m_bShowingDocumentMenus = false;
    bool m_bRefreshing = false;
    QList<QAction*> m_windowListActions;
};

} // namespace polyvane
