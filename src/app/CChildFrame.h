#pragma once
// The frame of one document window inside the main window: it shows one view of its document at a
// time and answers the document-window commands (Close, Save, Save As).
#include "platform/CCmdTarget.h"
#include "platform/CView.h"

#include <QMdiSubWindow>

#include <memory>

class QStackedWidget;

namespace polyvane {

class CPolyvaneApp;
class CPolyvaneDoc;
class ViewWidget;

// The control ID of the view a frame shows.
constexpr int kFirstPaneId = 0xE900;

class CChildFrame final : public QMdiSubWindow, public CCmdTarget, public IFrameHost {
    Q_OBJECT
  public:
    CChildFrame(CPolyvaneApp& app, CPolyvaneDoc& doc);
    ~CChildFrame() override;

    // Creates the frame's first view, the model view. False when there is none to show.
    bool CreateInitialView();

    [[nodiscard]] CPolyvaneDoc& GetDocument() const { return m_doc; }
    // The view the frame shows; null before its first view.
    [[nodiscard]] CView* GetActiveView() const;
    [[nodiscard]] ViewWidget* ActiveViewWidget() const { return m_activeView; }
    [[nodiscard]] int CurrentViewId() const { return m_nCurrentViewId; }
    // The child window of the frame carrying control ID `id`, or null.
    [[nodiscard]] ViewWidget* FindView(int id) const;

    void SwitchView(int viewId) override;

    // Sets the window title from the document: its title, the window's number among the document's
    // windows when it has more than one, and the unsaved-changes mark.
    void UpdateTitle(int windowNumber);

    // Closes the window without asking about the document (it was asked already).
    void CloseWithoutAsking();

    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Puts a view of the document into the frame under control ID `id` and runs its initial update.
    ViewWidget* AddView(std::unique_ptr<CView> view, int id);
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    // Exchange with other programs, in ExchangeMenuCommands.cpp.
    void OnFileExport();
    void OnTexturesImportImage();
    void OnTexturesSaveTimAs();
    void OnUpdateTexturesSaveTimAs(CCmdUI* state);
    void OnTexturesWriteBack();
    void OnUpdateTexturesWriteBack(CCmdUI* state);
    // The frame-buffer memory as files, and palettes from files, in FrameBufferMenuCommands.cpp.
    void OnTexturesLoadDump();
    void OnTexturesSaveDump();
    void OnTexturesSaveVramPng();
    void OnTexturesExportPagePng();
    void OnTexturesReplaceRow();
    void OnUpdateTexturesReplaceRow(CCmdUI* state);

    CPolyvaneApp& m_app;
    CPolyvaneDoc& m_doc;
    QStackedWidget* m_stack;
    ViewWidget* m_activeView = nullptr;
    int m_nCurrentViewId = 1;
    bool m_bAsked = false;
};

} // namespace polyvane
