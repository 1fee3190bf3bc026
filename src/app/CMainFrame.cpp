#include "CMainFrame.h"

#include "CChildFrame.h"
#include "CPolyvaneApp.h"
#include "CommandIcons.h"
#include "CommandIds.h"
#include "CommandRouting.h"
#include "CommandTable.h"
#include "RecentFileList.h"
#include "ViewWidget.h"
#include "model/CPolyvaneDoc.h"
#include "view/ViewModes.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

namespace polyvane {

namespace {

using Entry = CommandEntry<CMainFrame>;

constexpr std::array<const char*, 3> kIndicatorTexts = {"CAP", "NUM", "SCRL"};
constexpr std::array<Qt::Key, 3> kLockKeys = {Qt::Key_CapsLock, Qt::Key_NumLock, Qt::Key_ScrollLock};
constexpr std::array<const char*, 3> kLedNames = {"capslock", "numlock", "scrolllock"};

// The keyboard's lock state as its lights show it; off where the system does not tell.
bool LockLightOn(const char* name) {
    const QString pattern = QStringLiteral("::%1").arg(QString::fromUtf8(name));
    QDir leds(QStringLiteral("/sys/class/leds"));
    for (const QString& entry : leds.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!entry.endsWith(pattern))
            continue;
        QFile brightness(leds.filePath(entry + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly))
            return brightness.readAll().trimmed() != "0";
    }
    return false;
}

unsigned RecentId(int index) {
    return ID_FILE_MRU_FILE1 + static_cast<unsigned>(index);
}

} // namespace

CMainFrame::CMainFrame(CPolyvaneApp& app) : m_app(app) {}

CMainFrame::~CMainFrame() {
    // Document windows closing with the frame must not call back into it.
    if (m_mdiArea)
        m_mdiArea->disconnect(this);
    if (qApp)
        qApp->removeEventFilter(this);
}

bool CMainFrame::LoadFrame() {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromUtf8(resources::kFrameTitle));
    setWindowIcon(AppIcon());
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);

    for (const resources::CommandInfo& info : resources::Commands())
        MakeAction(info.id, QString());
    for (const ViewModeEntry& mode : ViewModes())
        MakeAction(mode.command, QString());
    for (int i = 1; i < resources::kRecentFileCount; ++i)
        MakeAction(RecentId(i), QString());

    m_documentMenus = BuildMenuBar(true);
    m_frameMenus = BuildMenuBar(false);
    ShowMenus(false);
    BuildToolBar();
    BuildStatusBar();
    if (!m_toolBar || !statusBar())
        return false;

    // Accelerators work whichever menus are shown: their actions belong to the window itself.
    for (const resources::Accelerator& accel : resources::Accelerators()) {
        QAction* action = Action(accel.id);
        if (!action)
            return false;
        QList<QKeySequence> keys = action->shortcuts();
        keys.append(QKeySequence::fromString(QString::fromUtf8(accel.keys), QKeySequence::PortableText));
        action->setShortcuts(keys);
    }
    for (const auto& [id, action] : m_actions)
        addAction(action);

    setAcceptDrops(true);
    qApp->installEventFilter(this);
    for (std::size_t i = 0; i < m_lockStates.size(); ++i)
        m_lockStates[i] = LockLightOn(kLedNames[i]);
    UpdateIndicators();
    resize(1000, 720);
    RefreshCommandStates();
    return true;
}

QAction* CMainFrame::MakeAction(unsigned id, const QString& text) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setData(id);
    action->setIconVisibleInMenu(false);
    action->setShortcutContext(Qt::WindowShortcut);
    const unsigned infoId =
        id >= ID_FILE_MRU_FILE1 && id < RecentId(resources::kRecentFileCount) ? ID_FILE_MRU_FILE1 : id;
    resources::CommandInfo info{};
    if (const resources::CommandInfo* found = resources::FindCommand(infoId))
        info = *found;
    else if (const ViewModeEntry* mode = ViewModeOfCommand(id))
        info = {id, mode->prompt, mode->tip,
                mode->checkedAtStart ? resources::Check::checked : resources::Check::checkable};
    if (info.prompt)
        action->setStatusTip(QString::fromUtf8(info.prompt));
    // Without a tip of its own an action would show its menu text as one.
    if (info.id)
        action->setToolTip(info.tip ? QString::fromUtf8(info.tip) : QString());
    if (info.check != resources::Check::none) {
        action->setCheckable(true);
        action->setChecked(info.check == resources::Check::checked);
    }
    if (HasCommandIcon(id))
        action->setIcon(CommandIcon(id));
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(unsigned id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

std::vector<QMenu*> CMainFrame::BuildMenuBar(bool documentMenus) {
    std::vector<QMenu*> menus;
    for (const resources::Menu& def : documentMenus ? resources::DocumentMenus() : resources::FrameMenus()) {
        auto* menu = new QMenu(QString::fromUtf8(def.title), this);
        for (const resources::MenuItem& item : def.items) {
            if (!item.text) {
                menu->addSeparator();
                continue;
            }
            if (item.id == ID_FILE_MRU_FILE1) {
                for (int i = 0; i < resources::kRecentFileCount; ++i)
                    menu->addAction(Action(RecentId(i)));
                continue;
            }
            if (item.id == resources::kViewModesHere) {
                for (const ViewModeEntry& mode : ViewModes())
                    if (mode.menuText) {
                        QAction* action = Action(mode.command);
                        action->setText(QString::fromUtf8(mode.menuText));
                        menu->addAction(action);
                    }
                continue;
            }
            QAction* action = Action(item.id);
            action->setText(QString::fromUtf8(item.text));
            menu->addAction(action);
        }
        // States are brought up to date before a menu shows.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::RefreshCommandStates);
        menus.push_back(menu);
    }
    return menus;
}

void CMainFrame::ShowMenus(bool documentMenus) {
    if (m_bShowingDocumentMenus == documentMenus && !menuBar()->actions().isEmpty())
        return;
    m_bShowingDocumentMenus = documentMenus;
    menuBar()->clear();
    for (QMenu* menu : documentMenus ? m_documentMenus : m_frameMenus)
        menuBar()->addMenu(menu);
}

QList<QMenu*> CMainFrame::CurrentMenus() const {
    QList<QMenu*> menus;
    for (QAction* action : menuBar()->actions())
        if (action->menu())
            menus.append(action->menu());
    return menus;
}

void CMainFrame::BuildToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    bool first = true;
    for (const auto& group : resources::ToolbarGroups()) {
        if (!first)
            m_toolBar->addSeparator();
        first = false;
        for (unsigned id : group) {
            if (id != resources::kViewModesHere) {
                m_toolBar->addAction(Action(id));
                continue;
            }
            for (const ViewModeEntry& mode : ViewModes())
                if (mode.icon != ViewIcon::none)
                    m_toolBar->addAction(Action(mode.command));
        }
    }
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // The idle text is the bar's ordinary content; prompts cover it while shown.
    m_idleLabel = new QLabel(QString::fromUtf8(resources::kIdlePrompt), bar);
    m_idleLabel->setObjectName(QStringLiteral("idlePrompt"));
    bar->addWidget(m_idleLabel, 1);
    for (std::size_t i = 0; i < m_indicators.size(); ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QString::fromUtf8(kIndicatorTexts[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
        bar->addPermanentWidget(label);
        m_indicators[i] = label;
    }
}

void CMainFrame::UpdateIndicators() {
    for (std::size_t i = 0; i < m_indicators.size(); ++i)
        m_indicators[i]->setText(m_lockStates[i] ? QString::fromUtf8(kIndicatorTexts[i]) : QString());
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A key event reaches several objects on its way; count it once, at the window it was sent to.
        if (!key->isAutoRepeat() && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            for (std::size_t i = 0; i < kLockKeys.size(); ++i)
                if (key->key() == kLockKeys[i]) {
                    m_lockStates[i] = !m_lockStates[i];
                    UpdateIndicators();
                }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

CChildFrame* CMainFrame::ActiveChildFrame() const {
    if (!m_mdiArea)
        return nullptr;
    QMdiSubWindow* window = m_mdiArea->activeSubWindow();
    if (!window) {
        // Without focus in the program the area reports no active window; the current one counts.
        window = m_mdiArea->currentSubWindow();
    }
    return qobject_cast<CChildFrame*>(window);
}

QSize CMainFrame::DefaultFrameSize(const CChildFrame& frame, QSize area) {
    QSize size = area * 3 / 4;
    const ViewWidget* view = frame.ActiveViewWidget();
    const QSize texture = view ? view->ScrollTotal() : QSize();
    if (view && !texture.isEmpty()) {
        // The frame's borders and title bar around the view, measured once the frame is laid out.
        const QSize borders = frame.isVisible() ? frame.size() - view->size() : QSize(8, 30);
        size = size.expandedTo(texture + borders).boundedTo(area);
    }
    return size.expandedTo(frame.minimumSizeHint());
}

void CMainFrame::AddChildFrame(CChildFrame* frame) {
    // New windows step down and right from the last, each showing the title bar of the one before.
    const int others = static_cast<int>(m_mdiArea->subWindowList().size());
    m_mdiArea->addSubWindow(frame);
    const QSize area = m_mdiArea->viewport()->size();
    const QSize size = area * 3 / 4;
    const int step = std::max(16, frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame));
    const int fits =
        std::max(1, std::min(area.width() - size.width(), area.height() - size.height()) / step + 1);
    const int offset = (others % fits) * step;
    frame->setGeometry(QRect(QPoint(offset, offset), size));
    frame->show();
    m_mdiArea->setActiveSubWindow(frame);
    RefreshCommandStates();
}

void CMainFrame::RemoveChildFrame(CChildFrame* frame) {
    const bool wasActive = ActiveChildFrame() == frame;
    m_mdiArea->removeSubWindow(frame);
    if (!wasActive && ActiveChildFrame())
        return;
    // The last of the stacking order is the window on top, the one the closed window covered.
    const QList<QMdiSubWindow*> rest = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
    for (auto it = rest.crbegin(); it != rest.crend(); ++it)
        if (*it != frame && !(*it)->isHidden()) {
            m_mdiArea->setActiveSubWindow(*it);
            (*it)->widget()->setFocus();
            break;
        }
}

void CMainFrame::OnSubWindowActivated(QMdiSubWindow*) {
    RefreshCommandStates();
}

bool CMainFrame::ExecuteCommand(unsigned id) {
    CChildFrame* frame = ActiveChildFrame();
    CView* view = frame ? frame->GetActiveView() : nullptr;
    CCmdTarget* doc = frame ? &frame->GetDocument() : nullptr;
    // A command nobody enables must not run through its shortcut either.
    CCmdUI state(id);
    if (!RouteCommand({view, doc, frame, this, &m_app}, id, &state) || !state.m_bEnabled) {
        RefreshCommandStates();
        return false;
    }
    const bool handled = RouteCommand({view, doc, frame, this, &m_app}, id, nullptr);
    // The command may have closed the window or the program's last document.
    RefreshCommandStates();
    return handled;
}

bool CMainFrame::UpdateCommand(CCmdUI& state) {
    CChildFrame* frame = ActiveChildFrame();
    CView* view = frame ? frame->GetActiveView() : nullptr;
    CCmdTarget* doc = frame ? &frame->GetDocument() : nullptr;
    return RouteCommand({view, doc, frame, this, &m_app}, state.m_nID, &state);
}

void CMainFrame::RefreshCommandStates() {
    if (m_bRefreshing || !m_mdiArea)
        return;
    m_bRefreshing = true;
    CChildFrame* active = ActiveChildFrame();
    ShowMenus(active != nullptr);

    const RecentFileList& recent = m_app.RecentFiles();
    for (int i = 0; i < resources::kRecentFileCount; ++i) {
        QAction* action = Action(RecentId(i));
        if (i < recent.Entries().size())
            action->setText(recent.MenuText(i));
        else
            action->setText(QStringLiteral("Recent File"));
        // The first entry stands as a disabled "Recent File" while the list is empty.
        action->setVisible(i < recent.Entries().size() || i == 0);
    }

    for (const auto& [id, action] : m_actions) {
        CCmdUI state(id);
        state.m_nCheck = action->isChecked() ? 1 : 0;
        const bool handled = UpdateCommand(state);
        action->setEnabled(handled && state.m_bEnabled);
        if (handled && state.m_text) {
            // The handler names the item; the accelerator's part of its text stays.
            const QString text = action->text();
            const qsizetype tab = text.indexOf(QLatin1Char('\t'));
            action->setText(QString::fromStdString(*state.m_text) + (tab >= 0 ? text.mid(tab) : QString()));
        }
        if (handled && action->isCheckable())
            action->setChecked(state.m_nCheck == 1);
    }

    m_app.UpdateFrameTitles();
    for (QMenu* menu : m_documentMenus)
        if (menu->title() == QStringLiteral("&Window"))
            RebuildWindowList(menu);
    QString title = QString::fromUtf8(resources::kFrameTitle);
    // A maximised document window puts its own title after the frame's ("TMD - [name*]"), so the
    // frame names the document only when no window is maximised.
    if (active && !active->isMaximized()) {
        title += QStringLiteral(" - ") + QString::fromStdString(active->GetDocument().GetTitle()) +
                 QStringLiteral("[*]");
    }
    // The title first: marking a window modified while its title has no place for the mark warns.
    setWindowTitle(title);
    setWindowModified(active && active->GetDocument().IsModified());
    m_bRefreshing = false;
}

namespace {
constexpr int kListedWindows = 9;
}

void CMainFrame::RebuildWindowList(QMenu* menu) {
    for (QAction* action : m_windowListActions) {
        menu->removeAction(action);
        action->deleteLater();
    }
    m_windowListActions.clear();
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty())
        return;
    CChildFrame* active = ActiveChildFrame();
    m_windowListActions.append(menu->addSeparator());
    for (int i = 0; i < windows.size() && i < kListedWindows; ++i) {
        QMdiSubWindow* window = windows[i];
        QString title = window->windowTitle();
        title.remove(QStringLiteral("[*]"));
        // An ampersand in a file name is text, not an access key.
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setCheckable(true);
        action->setChecked(window == active);
        connect(action, &QAction::triggered, this, [this, window] {
            if (m_mdiArea->subWindowList().contains(window))
                m_mdiArea->setActiveSubWindow(window);
        });
        m_windowListActions.append(action);
    }
    if (windows.size() > kListedWindows) {
        QAction* more = menu->addAction(QStringLiteral("&More Windows..."));
        connect(more, &QAction::triggered, this, &CMainFrame::ChooseFromAllWindows);
        m_windowListActions.append(more);
    }
}

void CMainFrame::ChooseFromAllWindows() {
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    QStringList titles;
    for (QMdiSubWindow* window : windows)
        titles.append(window->windowTitle().remove(QStringLiteral("[*]")));
    const int current = static_cast<int>(windows.indexOf(m_mdiArea->activeSubWindow()));
    bool chosen = false;
    const QString title =
        QInputDialog::getItem(this, QStringLiteral("Select Window"), QStringLiteral("&Select Window:"),
                              titles, std::max(current, 0), false, &chosen);
    const auto index = titles.indexOf(title);
    if (chosen && index >= 0)
        m_mdiArea->setActiveSubWindow(windows[index]);
}

bool CMainFrame::OnCmdMsg(unsigned id, CCmdUI* update) {
    static constexpr Entry kCommands[] = {
        {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolBar, &CMainFrame::OnUpdateViewToolBar},
        {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateViewStatusBar},
        {ID_WINDOW_NEW, &CMainFrame::OnWindowNew, &CMainFrame::OnUpdateNeedsDocument},
        {ID_WINDOW_CASCADE, &CMainFrame::OnWindowCascade, &CMainFrame::OnUpdateNeedsDocument},
        {ID_WINDOW_TILE_HORZ, &CMainFrame::OnWindowTile, &CMainFrame::OnUpdateNeedsDocument},
        {ID_WINDOW_ARRANGE, &CMainFrame::OnWindowArrange, &CMainFrame::OnUpdateNeedsDocument},
        {ID_NEXT_PANE, &CMainFrame::OnNextPane, &CMainFrame::OnUpdateNeedsDocument},
        {ID_PREV_PANE, &CMainFrame::OnPrevPane, &CMainFrame::OnUpdateNeedsDocument},
        {ID_APP_EXIT, &CMainFrame::OnAppExit, nullptr},
    };
    return DispatchCommand<CMainFrame>(this, kCommands, id, update);
}

void CMainFrame::OnViewToolBar() {
    m_toolBar->setVisible(!m_toolBar->isVisible());
}
void CMainFrame::OnUpdateViewToolBar(CCmdUI* state) {
    state->SetCheck(m_toolBar->isVisibleTo(this) ? 1 : 0);
}
void CMainFrame::OnViewStatusBar() {
    statusBar()->setVisible(!statusBar()->isVisible());
}
void CMainFrame::OnUpdateViewStatusBar(CCmdUI* state) {
    state->SetCheck(statusBar()->isVisibleTo(this) ? 1 : 0);
}

void CMainFrame::OnWindowNew() {
    if (CChildFrame* frame = ActiveChildFrame())
        m_app.NewWindow(frame->GetDocument());
}
void CMainFrame::OnUpdateNeedsDocument(CCmdUI* state) {
    state->Enable(ActiveChildFrame() != nullptr);
}
// Windows step down and right by a title bar, each at its default size, starting again at the top
// left when the next would leave the area. Qt's own cascade sizes windows by their size hints, which
// a view does not give.
void CMainFrame::OnWindowCascade() {
    const QSize area = m_mdiArea->viewport()->size();
    const int step = std::max(16, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    int offset = 0;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList(QMdiArea::StackingOrder)) {
        auto* frame = qobject_cast<CChildFrame*>(window);
        if (!frame || frame->isMinimized())
            continue;
        if (frame->isMaximized())
            frame->showNormal();
        const QSize size = DefaultFrameSize(*frame, area);
        if (offset > 0 && (offset + size.width() > area.width() || offset + size.height() > area.height()))
            offset = 0;
        frame->setGeometry(QRect(QPoint(offset, offset), size));
        frame->raise();
        offset += step;
    }
    if (QMdiSubWindow* active = m_mdiArea->activeSubWindow())
        active->raise();
}
void CMainFrame::OnWindowTile() {
    m_mdiArea->tileSubWindows();
}
// Minimised document windows line up along the bottom of the area.
void CMainFrame::OnWindowArrange() {
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList(QMdiArea::CreationOrder);
    int x = 0;
    for (QMdiSubWindow* window : windows) {
        if (!window->isMinimized())
            continue;
        const QSize size = window->size();
        if (x + size.width() > m_mdiArea->viewport()->width() && x > 0)
            x = 0;
        window->move(x, m_mdiArea->viewport()->height() - size.height());
        x += size.width();
    }
}
void CMainFrame::OnNextPane() {
    m_mdiArea->activateNextSubWindow();
}
void CMainFrame::OnPrevPane() {
    m_mdiArea->activatePreviousSubWindow();
}
void CMainFrame::OnAppExit() {
    close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_app.SaveAllModified()) {
        event->ignore();
        return;
    }
    m_app.CloseAllDocuments();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over: a message about a file must not hold up the dragging program.
    QMetaObject::invokeMethod(
        &m_app, [app = &m_app, paths] { app->OpenFiles(paths); }, Qt::QueuedConnection);
}

} // namespace polyvane
