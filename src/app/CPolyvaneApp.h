#pragma once
// The application: start-up, the open documents with their windows, the recently-used list and the
// application-wide commands (New, Open, the recent files, About).
#include "FileWatch.h"
#include "Preferences.h"
#include "RecentFileList.h"
#include "ViewFactory.h"
#include "platform/CCmdTarget.h"

#include <QObject>
#include <QStringList>

#include <functional>

#include <memory>
#include <vector>

namespace polyvane {

class CChildFrame;
class CMainFrame;
class CPolyvaneDoc;
class IShellPrompts;
class ScanWindow;

class CPolyvaneApp final : public QObject, public CCmdTarget {
    Q_OBJECT
  public:
    explicit CPolyvaneApp(IShellPrompts& prompts, QObject* parent = nullptr);
    [[nodiscard]] IShellPrompts& Prompts() const { return m_prompts; }
    ~CPolyvaneApp() override;

    // Start-up: loads the recently-used list, creates the main window and carries out the command
    // line (`files`: none makes a new document, each one given is opened). False when start-up
    // fails; the program then ends.
    bool InitInstance(const QStringList& files);

    [[nodiscard]] CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    [[nodiscard]] RecentFileList& RecentFiles() { return m_recentFiles; }
    [[nodiscard]] const Preferences& CurrentPreferences() const { return m_preferences; }
    [[nodiscard]] FileWatch& Watch() { return *m_fileWatch; }
    [[nodiscard]] std::vector<CPolyvaneDoc*> Documents() const;
    [[nodiscard]] std::vector<CChildFrame*> Frames(const CPolyvaneDoc& doc) const;
    [[nodiscard]] int FrameCount(const CPolyvaneDoc& doc) const {
        return static_cast<int>(Frames(doc).size());
    }

    // The views windows show and the documents files are read into; tests put their own in.
    void SetViewFactory(ViewFactory factory) { m_viewFactory = std::move(factory); }
    using DocumentFactory = std::function<std::unique_ptr<CPolyvaneDoc>()>;
    void SetDocumentFactory(DocumentFactory factory) { m_documentFactory = std::move(factory); }
    [[nodiscard]] std::unique_ptr<CView> CreateView(int viewId) const;

    // A new empty document titled "tmd" and a running number, in a new window.
    CPolyvaneDoc* NewDocument();
    // Opens `path` in a new window, or brings up the window already showing it. Null when the file
    // could not be opened (its reader has shown why).
    CPolyvaneDoc* OpenDocumentFile(const QString& path);
    // Opens the texture at `path` (a TIM file or the address of one) into the active model's
    // textures, or into a new document when no model is open. Null when it cannot be read.
    CPolyvaneDoc* OpenTexture(const QString& path);
    // Another window on `doc`.
    CChildFrame* NewWindow(CPolyvaneDoc& doc);
    // Saves `doc`: back into its image when read from an address (unless `saveAs`), else under a new
    // name when `saveAs`, when it has none yet, or when it was not read from a TMD file. False when the user
    // cancelled or the save failed, which is then reported.
    bool SaveDocument(CPolyvaneDoc& doc, bool saveAs);
    // A scan window over `path` (any file, image or cue sheet), scanning.
    ScanWindow* OpenScanWindow(const QString& path);
    // Writes a document read from an address back there, after asking the first time.
    bool SaveBackIntoItem(CPolyvaneDoc& doc);
    // Asks "Write ITEM back into IMAGE?" for an item's address; false when it is no address or the
    // user declines.
    bool ConfirmWriteBack(const std::string& address);
    // Asks whether to save a modified document: true when it may be closed.
    bool SaveModified(CPolyvaneDoc& doc);
    bool SaveAllModified();
    // Closes every window of `doc` after asking whether to save it.
    void CloseDocument(CPolyvaneDoc& doc);
    // Closes every document without asking.
    void CloseAllDocuments();

    // `path` was written by another program: documents read from it reload (a modified one after
    // asking) and textures loaded from it are read again.
    void FileChangedOnDisk(const QString& path);
    // Reads the document's file again into the same document, so its windows and their views stay.
    // False, the document unchanged, when the file does not read.
    bool ReloadDocument(CPolyvaneDoc& doc);

    // The folder of the active document's file; empty when there is none, or it has no file yet.
    [[nodiscard]] QString ActiveDocumentFolder() const;

    // Called by a child frame that has closed.
    void FrameClosed(CChildFrame* frame);
    // The state of some command may have changed (the active view changed, a document was saved).
    void CommandStatesChanged();
    void UpdateFrameTitles();

    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

  public slots:
    // Files handed over by a later start of the program.
    void OpenFiles(const QStringList& paths);

  private:
    CChildFrame* CreateFrame(CPolyvaneDoc& doc);
    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFileImport(); // in ExchangeMenuCommands.cpp
    void OnFileScan();
    void OnEditPreferences();
    void OnOpenRecentFile(int index);
    void OnUpdateRecentFile(int index, CCmdUI* state);

    IShellPrompts& m_prompts;
    RecentFileList m_recentFiles;
    Preferences m_preferences;
    ViewFactory m_viewFactory;
    DocumentFactory m_documentFactory;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<FileWatch> m_fileWatch;
    std::vector<std::unique_ptr<CPolyvaneDoc>> m_documents;
    // Documents whose last window is closing; they go when it is gone.
    std::vector<std::unique_ptr<CPolyvaneDoc>> m_closingDocuments;
    std::vector<CChildFrame*> m_frames;
    int m_nUntitledCount = 0;
    // Documents whose writing back into their image the user has confirmed.
    std::vector<const CPolyvaneDoc*> m_writeBackConfirmed;
};

} // namespace polyvane
