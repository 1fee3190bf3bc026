#include "CChildFrame.h"
#include "ViewIds.h"

#include "CPolyvaneApp.h"
#include "CommandIcons.h"
#include "CommandIds.h"
#include "ViewWidget.h"
#include "model/CPolyvaneDoc.h"
#include "platform/MessageBox.h"

#include <QCloseEvent>
#include <QStackedWidget>

namespace polyvane {

namespace {
using Entry = CommandEntry<CChildFrame>;
} // namespace

CChildFrame::CChildFrame(CPolyvaneApp& app, CPolyvaneDoc& doc)
    : m_app(app), m_doc(doc), m_stack(new QStackedWidget(this)) {
    setWidget(m_stack);
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CChildFrame::~CChildFrame() {
    // Views leave their document before the frame is gone.
    while (m_stack->count() > 0) {
        QWidget* view = m_stack->widget(0);
        m_stack->removeWidget(view);
        delete view;
    }
    m_activeView = nullptr;
}

bool CChildFrame::CreateInitialView() {
    std::unique_ptr<CView> view = m_app.CreateView(kModelViewId);
    if (!view)
        return false;
    ViewWidget* widget = AddView(std::move(view), kFirstPaneId);
    m_stack->setCurrentWidget(widget);
    m_activeView = widget;
    m_nCurrentViewId = kModelViewId;
    return true;
}

ViewWidget* CChildFrame::AddView(std::unique_ptr<CView> view, int id) {
    view->SetDocument(&m_doc);
    auto* widget = new ViewWidget(std::move(view), id, this);
    m_stack->addWidget(widget);
    connect(widget, &ViewWidget::inputHandled, this, [this] { m_app.CommandStatesChanged(); });
    widget->View().OnInitialUpdate();
    return widget;
}

CView* CChildFrame::GetActiveView() const {
    return m_activeView ? &m_activeView->View() : nullptr;
}

ViewWidget* CChildFrame::FindView(int id) const {
    for (int i = 0; i < m_stack->count(); ++i) {
        auto* view = static_cast<ViewWidget*>(m_stack->widget(i));
        if (view->ControlId() == id)
            return view;
    }
    return nullptr;
}

void CChildFrame::SwitchView(int viewId) {
    ViewWidget* oldView = m_activeView;
    ViewWidget* newView = FindView(viewId);
    if (!newView) {
        std::unique_ptr<CView> view = m_app.CreateView(viewId);
        if (!view) {
            AfxMessageBox("Invalid View ID");
            return;
        }
        newView = AddView(std::move(view), viewId);
    }
    if (newView == oldView)
        return;
    m_activeView = newView;
    m_stack->setCurrentWidget(newView);
    if (oldView)
        oldView->SetControlId(m_nCurrentViewId);
    newView->SetControlId(kFirstPaneId);
    m_nCurrentViewId = viewId;
    newView->setFocus();
    m_app.CommandStatesChanged();
}

void CChildFrame::UpdateTitle(int windowNumber) {
    QString title = QString::fromStdString(m_doc.GetTitle());
    if (windowNumber > 0)
        title += QStringLiteral(":%1").arg(windowNumber);
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_doc.IsModified());
}

void CChildFrame::CloseWithoutAsking() {
    m_bAsked = true;
    close();
}

bool CChildFrame::OnCmdMsg(unsigned id, CCmdUI* update) {
    static constexpr Entry kCommands[] = {
        {ID_FILE_CLOSE, &CChildFrame::OnFileClose, nullptr},
        {ID_FILE_SAVE, &CChildFrame::OnFileSave, nullptr},
        {ID_FILE_SAVE_AS, &CChildFrame::OnFileSaveAs, nullptr},
        {ID_FILE_EXPORT, &CChildFrame::OnFileExport, nullptr},
        {ID_TEXTURES_IMPORT_IMAGE, &CChildFrame::OnTexturesImportImage, nullptr},
        {ID_TEXTURES_SAVE_TIM_AS, &CChildFrame::OnTexturesSaveTimAs, &CChildFrame::OnUpdateTexturesSaveTimAs},
        {ID_TEXTURES_WRITE_BACK, &CChildFrame::OnTexturesWriteBack, &CChildFrame::OnUpdateTexturesWriteBack},
        {ID_TEXTURES_LOAD_DUMP, &CChildFrame::OnTexturesLoadDump, nullptr},
        {ID_TEXTURES_SAVE_DUMP, &CChildFrame::OnTexturesSaveDump, nullptr},
        {ID_TEXTURES_SAVE_VRAM_PNG, &CChildFrame::OnTexturesSaveVramPng, nullptr},
        {ID_TEXTURES_EXPORT_PAGE_PNG, &CChildFrame::OnTexturesExportPagePng, nullptr},
        {ID_TEXTURES_REPLACE_ROW, &CChildFrame::OnTexturesReplaceRow,
         &CChildFrame::OnUpdateTexturesReplaceRow},
    };
    return DispatchCommand<CChildFrame>(this, kCommands, id, update);
}

void CChildFrame::OnFileClose() {
    m_app.CloseDocument(m_doc);
}
void CChildFrame::OnFileSave() {
    m_app.SaveDocument(m_doc, false);
}
void CChildFrame::OnFileSaveAs() {
    m_app.SaveDocument(m_doc, true);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    // Closing the document's last window closes the document: it may first be saved, or the closing
    // called off.
    if (!m_bAsked && m_app.FrameCount(m_doc) == 1 && !m_app.SaveModified(m_doc)) {
        event->ignore();
        return;
    }
    event->accept();
    QMdiSubWindow::closeEvent(event);
    m_app.FrameClosed(this);
}

} // namespace polyvane
