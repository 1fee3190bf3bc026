#include "CPolyvaneApp.h"

#include "CAboutDlg.h"
#include "CChildFrame.h"
#include "CMainFrame.h"
#include "CommandIcons.h"
#include "CommandIds.h"
#include "CommandTable.h"
#include "ScanWindow.h"
#include "ShellPrompts.h"
#include "exchange/ExchangeFormats.h"
#include "formats/FormatRegistry.h"
#include "formats/TimList.h"
#include "gamedata/Address.h"
#include "gamedata/WriteBack.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CView.h"
#include "platform/MessageBox.h"
#include "texture/TimFiles.h"
#include "view/ViewModes.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>

#include <algorithm>
#include <filesystem>

namespace polyvane {

namespace {
// Passes messages on and counts them.
class CountingMessageBox final : public IMessageBox {
  public:
    explicit CountingMessageBox(IMessageBox& next) : m_next(next) {}
    void Show(std::string_view text) override {
        ++m_count;
        m_next.Show(text);
    }
    [[nodiscard]] int Count() const { return m_count; }

  private:
    IMessageBox& m_next;
    int m_count = 0;
};
} // namespace

CPolyvaneApp::CPolyvaneApp(IShellPrompts& prompts, QObject* parent)
    : QObject(parent), m_prompts(prompts), m_recentFiles(resources::kRecentFileCount),
      m_viewFactory(&CreateApplicationView),
      m_documentFactory([] { return std::make_unique<CPolyvaneDoc>(); }),
      m_fileWatch(std::make_unique<FileWatch>(*this)) {
    RegisterExchangeFormats();
    // Models and textures found in game data open by their addresses wherever a file is named, and
    // save back there.
    gamedata::InstallAddressResolver();
    gamedata::InstallItemWriter();
}

CPolyvaneApp::~CPolyvaneApp() {
    m_fileWatch.reset();
    // Windows (and their views) go with the main window, before the documents they show.
    m_frames.clear();
    m_mainFrame.reset();
    m_closingDocuments.clear();
    m_documents.clear();
}

bool CPolyvaneApp::InitInstance(const QStringList& files) {
    QApplication::setWindowIcon(AppIcon());
    m_recentFiles.Load();
    m_preferences = Preferences::Load();
    m_mainFrame = std::make_unique<CMainFrame>(*this);
    if (!m_mainFrame->LoadFrame()) {
        m_mainFrame.reset();
        return false;
    }
    m_mainFrame->show();
    if (files.isEmpty()) {
        if (!NewDocument())
            return false;
    } else {
        for (const QString& file : files)
            if (!OpenDocumentFile(file))
                return false;
    }
    m_mainFrame->RefreshCommandStates();
    return true;
}

std::vector<CPolyvaneDoc*> CPolyvaneApp::Documents() const {
    std::vector<CPolyvaneDoc*> docs;
    for (const auto& doc : m_documents)
        docs.push_back(doc.get());
    return docs;
}

std::vector<CChildFrame*> CPolyvaneApp::Frames(const CPolyvaneDoc& doc) const {
    std::vector<CChildFrame*> frames;
    for (CChildFrame* frame : m_frames)
        if (&frame->GetDocument() == &doc)
            frames.push_back(frame);
    return frames;
}

std::unique_ptr<CView> CPolyvaneApp::CreateView(int viewId) const {
    return m_viewFactory ? m_viewFactory(viewId) : nullptr;
}

CChildFrame* CPolyvaneApp::CreateFrame(CPolyvaneDoc& doc) {
    // Every document shown, new or opened, keeps as much history as the preferences allow.
    doc.History().SetByteLimit(m_preferences.HistoryBytes());
    auto* frame = new CChildFrame(*this, doc);
    if (!frame->CreateInitialView()) {
        delete frame;
        return nullptr;
    }
    m_frames.push_back(frame);
    m_mainFrame->AddChildFrame(frame);
    return frame;
}

CPolyvaneDoc* CPolyvaneApp::NewDocument() {
    std::unique_ptr<CPolyvaneDoc> doc = m_documentFactory();
    if (!doc->OnNewDocument())
        return nullptr;
    doc->SetTitle(resources::kDocName + std::to_string(++m_nUntitledCount));
    CPolyvaneDoc* result = doc.get();
    m_documents.push_back(std::move(doc));
    if (!CreateFrame(*result)) {
        m_documents.pop_back();
        return nullptr;
    }
    return result;
}

CPolyvaneDoc* CPolyvaneApp::OpenDocumentFile(const QString& path) {
    const QFileInfo info(path);
    // A texture, from a TIM file or an address, opens as a texture rather than as a model.
    const auto address =
        gamedata::IsAddress(QFile::encodeName(path).toStdString())
            ? gamedata::ParseAddress(QFile::encodeName(info.absoluteFilePath()).toStdString())
            : std::nullopt;
    const bool texture = address ? [&] {
        auto item = gamedata::LoadItem(*address);
        return item && gamedata::ScanFormats().KindOf(item->item.format) == gamedata::ScanTable::Kind::texture;
    }()
                                 : Formats().ForPath(info.fileName().toStdString(), kTextureRole) != nullptr;
    if (texture && m_mainFrame)
        return OpenTexture(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty()) {
        for (const auto& doc : m_documents) {
            const QString open = QFileInfo(QString::fromStdString(doc->GetPathName())).canonicalFilePath();
            if (open == canonical) {
                const std::vector<CChildFrame*> frames = Frames(*doc);
                if (!frames.empty())
                    m_mainFrame->MdiArea()->setActiveSubWindow(frames.front());
                return doc.get();
            }
        }
    }
    std::unique_ptr<CPolyvaneDoc> doc = m_documentFactory();
    const QString absolute = info.absoluteFilePath();
    const ScopedMessageSubject subject(absolute.toStdString());
    CountingMessageBox counter(MessageBoxService());
    bool opened = false;
    {
        ScopedMessageBox counting(counter);
        opened = doc->OnOpenDocument(absolute.toStdString());
    }
    if (!opened) {
        // A file no reader takes fails without a word of its own; the user still learns of it.
        if (counter.Count() == 0)
            AfxMessageBox("Could not open file");
        return nullptr;
    }
    CPolyvaneDoc* result = doc.get();
    m_documents.push_back(std::move(doc));
    if (!CreateFrame(*result)) {
        m_documents.pop_back();
        return nullptr;
    }
    m_recentFiles.Add(absolute);
    m_fileWatch->Sync();
    m_mainFrame->RefreshCommandStates();
    return result;
}

CPolyvaneDoc* CPolyvaneApp::OpenTexture(const QString& path) {
    const QFileInfo info(path);
    CChildFrame* frame = m_mainFrame->ActiveChildFrame();
    CPolyvaneDoc* target = frame && frame->GetDocument().HasSelection() ? &frame->GetDocument() : nullptr;
    std::optional<TimImage> tim = OpenTimFile(QFile::encodeName(info.absoluteFilePath()).toStdString());
    if (!tim)
        return nullptr;
    // A texture, from a TIM file or an address, opens as a texture rather than as a model. with
    // no model to take it, it opens in a new document's frame-buffer view, where it shows on its own.
    const bool fresh = !target;
    if (fresh && !(target = NewDocument()))
        return nullptr;
    target->AddTexture(std::move(*tim));
    if (fresh) {
        // Opening is no edit: the new document starts clean, titled by the texture it shows.
        target->History().Clear();
        target->SetModifiedFlag(false);
        const std::string name = QFile::encodeName(path).toStdString();
        auto address = gamedata::ParseAddress(name);
        if (address && gamedata::IsAddress(name)) {
            address->container = std::filesystem::path(address->container).filename().string();
            target->SetTitle(gamedata::FormatAddress(*address));
        } else {
            target->SetTitle(QFile::encodeName(info.fileName()).toStdString());
        }
        for (CChildFrame* shown : Frames(*target))
            if (CView* view = shown->GetActiveView())
                for (const ViewModeEntry& mode : ViewModes())
                    if (mode.mode == VM_VRAM)
                        view->OnCmdMsg(mode.command, nullptr);
        m_recentFiles.Add(info.absoluteFilePath());
    }
    target->UpdateAllViews(nullptr, 0, nullptr);
    m_fileWatch->Sync();
    m_mainFrame->RefreshCommandStates();
    return target;
}

void CPolyvaneApp::OpenFiles(const QStringList& paths) {
    if (m_mainFrame) {
        m_mainFrame->show();
        m_mainFrame->raise();
        m_mainFrame->activateWindow();
    }
    for (const QString& path : paths)
        OpenDocumentFile(path);
}

CChildFrame* CPolyvaneApp::NewWindow(CPolyvaneDoc& doc) {
    return CreateFrame(doc);
}

bool CPolyvaneApp::SaveDocument(CPolyvaneDoc& doc, bool saveAs) {
    if (doc.IsFromItem() && !saveAs)
        return SaveBackIntoItem(doc);
    QString path = QString::fromStdString(doc.GetPathName());
    const QString extension = QString::fromUtf8(resources::kDocExtension);
    // Saving always writes a TMD file: a model read from another format is saved under a new name
    // rather than over its source.
    if (saveAs || path.isEmpty() || !path.endsWith(extension, Qt::CaseInsensitive)) {
        QString suggested = path.isEmpty() ? QString::fromStdString(doc.GetTitle()) : path;
        // An item read from game data is saved beside its image, named after its address.
        if (doc.IsFromItem()) {
            const auto address = gamedata::ParseAddress(doc.GetPathName());
            QString name = QString::fromStdString(doc.GetTitle());
            name.replace(QLatin1Char('/'), QLatin1Char('_'))
                .replace(QStringLiteral("::"), QStringLiteral("_"));
            suggested = QFileInfo(address ? QString::fromStdString(address->container) : path).path() +
                        QLatin1Char('/') + name + extension;
        }
        const QFileInfo info(suggested);
        if (!suggested.endsWith(extension, Qt::CaseInsensitive))
            suggested = (path.isEmpty() ? info.fileName()
                                        : info.path() + QLatin1Char('/') + info.completeBaseName()) +
                        extension;
        path = m_prompts.ChooseSavePath(suggested);
        if (path.isEmpty())
            return false;
        if (QFileInfo(path).suffix().isEmpty())
            path += extension;
    }
    // A failed save has said why (the file or the writer) and left the file as it was.
    const std::string target = QFileInfo(path).absoluteFilePath().toStdString();
    const ScopedMessageSubject subject(target);
    if (!doc.OnSaveDocument(target)) {
        CommandStatesChanged();
        return false;
    }
    m_recentFiles.Add(path);
    m_fileWatch->Saved(QString::fromStdString(doc.GetPathName()));
    CommandStatesChanged();
    return true;
}

bool CPolyvaneApp::SaveBackIntoItem(CPolyvaneDoc& doc) {
    const std::string address = doc.GetPathName();
    // Writing into a game's image is asked once per document; later saves follow the first answer.
    if (std::find(m_writeBackConfirmed.begin(), m_writeBackConfirmed.end(), &doc) ==
        m_writeBackConfirmed.end()) {
        if (!ConfirmWriteBack(address))
            return false;
        m_writeBackConfirmed.push_back(&doc);
    }
    // A refused or failed write has said why and left the image as it was.
    const bool saved = doc.OnSaveDocument(address);
    CommandStatesChanged();
    return saved;
}

bool CPolyvaneApp::ConfirmWriteBack(const std::string& address) {
    const auto parsed = gamedata::ParseAddress(address);
    if (!parsed)
        return false;
    const QString image = QFileInfo(QString::fromStdString(parsed->container)).fileName();
    gamedata::Address inside = *parsed;
    inside.container = inside.path ? *inside.path : image.toStdString();
    inside.path.reset();
    return m_prompts.AskWriteBack(QString::fromStdString(gamedata::FormatAddress(inside)), image);
}

bool CPolyvaneApp::SaveModified(CPolyvaneDoc& doc) {
    if (!doc.IsModified())
        return true;
    switch (m_prompts.AskSaveChanges(QString::fromStdString(doc.GetTitle()))) {
    case SaveAnswer::yes:
        return SaveDocument(doc, false);
    case SaveAnswer::no:
        return true;
    case SaveAnswer::cancel:
        return false;
    }
    return false;
}

bool CPolyvaneApp::SaveAllModified() {
    for (CPolyvaneDoc* doc : Documents())
        if (!SaveModified(*doc))
            return false;
    return true;
}

void CPolyvaneApp::CloseDocument(CPolyvaneDoc& doc) {
    if (!SaveModified(doc))
        return;
    for (CChildFrame* frame : Frames(doc))
        frame->CloseWithoutAsking();
}

void CPolyvaneApp::CloseAllDocuments() {
    for (CChildFrame* frame : std::vector<CChildFrame*>(m_frames))
        frame->CloseWithoutAsking();
}

void CPolyvaneApp::FileChangedOnDisk(const QString& path) {
    const QString changed = QFileInfo(path).absoluteFilePath();
    const auto isChanged = [&changed](const std::string& name) {
        return !name.empty() && QFileInfo(QString::fromStdString(name)).absoluteFilePath() == changed;
    };
    for (CPolyvaneDoc* doc : Documents()) {
        if (isChanged(doc->GetPathName()) &&
            (!doc->IsModified() || m_prompts.AskReload(QString::fromStdString(doc->GetTitle()))))
            ReloadDocument(*doc);
        std::vector<TimImage> reloaded;
        for (const TimImage& tim : doc->Textures()) {
            if (!isChanged(tim.fileName))
                continue;
            TimImage fresh;
            fresh.fileName = tim.fileName;
            // A texture half-way through being written keeps what was shown, without a word.
            HeadlessMessageBox quiet;
            ScopedMessageBox quieted(quiet);
            if (LoadTim(fresh))
                reloaded.push_back(std::move(fresh));
        }
        for (const TimImage& fresh : reloaded)
            doc->ReplaceTexture(fresh);
    }
}

bool CPolyvaneApp::ReloadDocument(CPolyvaneDoc& doc) {
    // Read into a document of its own first: a file its writer has not finished leaves the open
    // document as it was, and is tried again at its next change.
    std::unique_ptr<CPolyvaneDoc> fresh = m_documentFactory();
    {
        HeadlessMessageBox quiet;
        ScopedMessageBox quieted(quiet);
        if (!fresh->OnOpenDocument(doc.GetPathName()))
            return false;
    }
    doc.ReloadFrom(*fresh);
    CommandStatesChanged();
    return true;
}

void CPolyvaneApp::FrameClosed(CChildFrame* frame) {
    std::erase(m_frames, frame);
    CPolyvaneDoc* doc = &frame->GetDocument();
    if (m_mainFrame)
        m_mainFrame->RemoveChildFrame(frame);
    if (Frames(*doc).empty()) {
        const auto found = std::find_if(m_documents.begin(), m_documents.end(),
                                        [doc](const auto& owned) { return owned.get() == doc; });
        if (found != m_documents.end()) {
            m_closingDocuments.push_back(std::move(*found));
            m_documents.erase(found);
            std::erase(m_writeBackConfirmed, doc);
            // The document goes once the window and its views are gone.
            connect(frame, &QObject::destroyed, this, [this, doc] {
                std::erase_if(m_closingDocuments, [doc](const auto& owned) { return owned.get() == doc; });
            });
        }
    }
    frame->deleteLater();
    CommandStatesChanged();
}

void CPolyvaneApp::CommandStatesChanged() {
    if (m_mainFrame)
        m_mainFrame->RefreshCommandStates();
}

void CPolyvaneApp::UpdateFrameTitles() {
    for (const auto& doc : m_documents) {
        const std::vector<CChildFrame*> frames = Frames(*doc);
        for (std::size_t i = 0; i < frames.size(); ++i)
            frames[i]->UpdateTitle(frames.size() > 1 ? static_cast<int>(i) + 1 : 0);
    }
}

bool CPolyvaneApp::OnCmdMsg(unsigned id, CCmdUI* update) {
    using Entry = CommandEntry<CPolyvaneApp>;
    static constexpr Entry kCommands[] = {
        {ID_APP_ABOUT, &CPolyvaneApp::OnAppAbout, nullptr},
        {ID_FILE_NEW, &CPolyvaneApp::OnFileNew, nullptr},
        {ID_FILE_OPEN, &CPolyvaneApp::OnFileOpen, nullptr},
        {ID_FILE_IMPORT, &CPolyvaneApp::OnFileImport, nullptr},
        {ID_FILE_SCAN, &CPolyvaneApp::OnFileScan, nullptr},
        {ID_EDIT_PREFERENCES, &CPolyvaneApp::OnEditPreferences, nullptr},
    };
    if (DispatchCommand<CPolyvaneApp>(this, kCommands, id, update))
        return true;
    if (id >= ID_FILE_MRU_FILE1 &&
        id < ID_FILE_MRU_FILE1 + static_cast<unsigned>(resources::kRecentFileCount)) {
        const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
        if (update)
            OnUpdateRecentFile(index, update);
        else
            OnOpenRecentFile(index);
        return true;
    }
    return false;
}

void CPolyvaneApp::OnAppAbout() {
    CAboutDlg dialog(m_mainFrame.get());
    dialog.exec();
}

void CPolyvaneApp::OnEditPreferences() {
    const std::optional<Preferences> chosen = m_prompts.ChoosePreferences(m_preferences);
    if (!chosen)
        return;
    m_preferences = *chosen;
    m_preferences.Save();
    for (CPolyvaneDoc* doc : Documents())
        doc->History().SetByteLimit(m_preferences.HistoryBytes());
    // A smaller bound may have dropped steps, which the Undo item then says.
    if (m_mainFrame)
        m_mainFrame->RefreshCommandStates();
}

void CPolyvaneApp::OnFileNew() {
    NewDocument();
}

QString CPolyvaneApp::ActiveDocumentFolder() const {
    const CChildFrame* active = m_mainFrame ? m_mainFrame->ActiveChildFrame() : nullptr;
    if (!active || active->GetDocument().GetPathName().empty())
        return {};
    // A model read from inside an image is named by an address there; its nearest real folder serves.
    QString folder = QFileInfo(QString::fromStdString(active->GetDocument().GetPathName())).absolutePath();
    while (!QFileInfo(folder).isDir()) {
        const QString up = QFileInfo(folder).absolutePath();
        if (up == folder)
            return {};
        folder = up;
    }
    return folder;
}

void CPolyvaneApp::OnFileOpen() {
    const QString path = m_prompts.ChooseOpenPath(ActiveDocumentFolder());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CPolyvaneApp::OnFileScan() {
    const QString path = m_prompts.ChooseExchangePath(
        QStringLiteral("Scan"), QStringLiteral("Game data (*.bin *.img *.iso *.cue);;All files (*)"), false,
        ActiveDocumentFolder());
    if (!path.isEmpty())
        OpenScanWindow(path);
}

ScanWindow* CPolyvaneApp::OpenScanWindow(const QString& path) {
    auto* window = new ScanWindow(*this, path, m_mainFrame.get());
    window->show();
    return window;
}

void CPolyvaneApp::OnOpenRecentFile(int index) {
    if (index >= m_recentFiles.Entries().size())
        return;
    const QString path = m_recentFiles.Entries()[index];
    // An entry whose file no longer opens leaves the list.
    if (!OpenDocumentFile(path))
        m_recentFiles.Remove(static_cast<int>(m_recentFiles.Entries().indexOf(path)));
}

void CPolyvaneApp::OnUpdateRecentFile(int index, CCmdUI* state) {
    state->Enable(index < m_recentFiles.Entries().size());
}

} // namespace polyvane
