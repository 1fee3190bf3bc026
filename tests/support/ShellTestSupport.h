#pragma once
// The application under test: settings in a temporary place, messages collected instead of shown,
// scripted answers to the shell's questions, and views that record what reaches them.
#include "CommandIds.h"
#include "ViewIds.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CPolyvaneApp.h"
#include "app/ShellPrompts.h"
#include "model/CPolyvaneDoc.h"
#include "platform/CView.h"
#include "platform/MessageBox.h"

#include <QSettings>
#include <QTemporaryDir>

#include <deque>
#include <memory>
#include <vector>

namespace polyvane::test {

class ScriptedPrompts final : public IShellPrompts {
  public:
    SaveAnswer AskSaveChanges(const QString& title) override {
        asked.append(title);
        if (saveAnswers.empty())
            return SaveAnswer::cancel;
        const SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    bool AskReload(const QString& title) override {
        reloadAsked.append(title);
        return !reloadAnswers.empty() && reloadAnswers.takeFirst();
    }
    bool AskWriteBack(const QString& model, const QString& image) override {
        writeBackAsked.append(model + QStringLiteral(" > ") + image);
        return !writeBackAnswers.empty() && writeBackAnswers.takeFirst();
    }
    QString ChooseOpenPath(const QString& folder) override {
        starts.append(folder);
        return openPaths.isEmpty() ? QString() : openPaths.takeFirst();
    }
    QString ChooseSavePath(const QString& suggestion) override {
        suggested.append(suggestion);
        return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
    }

    QString ChooseExchangePath(const QString& title, const QString&, bool, const QString& start) override {
        exchangeTitles.append(title);
        starts.append(start);
        return exchangePaths.isEmpty() ? QString() : exchangePaths.takeFirst();
    }
    std::optional<Preferences> ChoosePreferences(const Preferences&) override { return preferences; }

    // The answer of the Preferences dialog (none: cancelled).
    std::optional<Preferences> preferences;
    std::deque<SaveAnswer> saveAnswers;
    QList<bool> reloadAnswers;
    QStringList reloadAsked;
    QList<bool> writeBackAnswers;
    QStringList writeBackAsked;
    QStringList exchangePaths;
    QStringList exchangeTitles;
    QStringList asked;
    QStringList openPaths;
    QStringList savePaths;
    QStringList suggested;
    // Where each open or exchange dialog started.
    QStringList starts;
};

// A view that records the commands and mouse messages it gets and keeps a mode with check marks, as
// the model view does.
class RecordingView final : public CView {
  public:
    struct Mouse {
        char what; // 'L' left down, 'l' left up, 'R' right down, 'r' right up, 'M' move
        unsigned flags;
        CPoint point;
    };

    void OnDraw(CDC*) override { ++paints; }
    bool OnCmdMsg(unsigned id, CCmdUI* update) override {
        static constexpr unsigned kModes[][2] = {{ID_VIEW_WIREFRAME, 1},
                                                 {ID_VIEW_SOLID, 2},
                                                 {ID_VIEW_VRAM, 8},
                                                 {ID_VIEW_OBJECT_TABLE, 16},
                                                 {ID_VIEW_BLANK, 32}};
        for (const auto& [modeId, value] : kModes) {
            if (modeId != id)
                continue;
            if (update)
                update->SetCheck(mode == static_cast<int>(value) ? 1 : 0);
            else
                mode = static_cast<int>(value);
            return true;
        }
        for (unsigned handled : kHandled) {
            if (handled != id)
                continue;
            if (!update)
                commands.push_back(id);
            return true;
        }
        return false;
    }
    void OnLButtonDown(unsigned flags, CPoint p) override {
        mouse.push_back({'L', flags, p});
        SetCapture();
    }
    void OnLButtonUp(unsigned flags, CPoint p) override {
        mouse.push_back({'l', flags, p});
        ReleaseCapture();
    }
    void OnRButtonDown(unsigned flags, CPoint p) override {
        mouse.push_back({'R', flags, p});
        SetCapture();
    }
    void OnRButtonUp(unsigned flags, CPoint p) override {
        mouse.push_back({'r', flags, p});
        ReleaseCapture();
    }
    void OnMouseMove(unsigned flags, CPoint p) override { mouse.push_back({'M', flags, p}); }

    static constexpr unsigned kHandled[] = {ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CUT, ID_EDIT_UNDO,
                                            ID_OBJECT_NEXT_PRIM};
    std::vector<unsigned> commands;
    std::vector<Mouse> mouse;
    int mode = 1;
    int paints = 0;
};

inline ViewFactory RecordingViews() {
    return [](int viewId) -> std::unique_ptr<CView> {
        if (viewId == kModelViewId)
            return std::make_unique<RecordingView>();
        return nullptr;
    };
}

// A document that reads any file and writes a short text: the shell's saving and closing without
// the model's formats.
class PlainDoc final : public CPolyvaneDoc {
  public:
    static constexpr char kSaved[] = "saved";
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar.Write(kSaved, sizeof kSaved - 1);
    }
    [[nodiscard]] bool LoadSucceeded() const override { return true; }
    [[nodiscard]] bool StoreSucceeded() const override { return true; }
};

inline CPolyvaneApp::DocumentFactory PlainDocs() {
    return [] { return std::make_unique<PlainDoc>(); };
}

// One run of the application. The settings directory outlives restarts within a test.
class Shell {
  public:
    explicit Shell(QString settingsDir) : m_settingsDir(std::move(settingsDir)) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir);
    }

    bool Start(const QStringList& files = {}, ViewFactory views = {},
               CPolyvaneApp::DocumentFactory docs = {}) {
        app = std::make_unique<CPolyvaneApp>(prompts);
        if (views)
            app->SetViewFactory(std::move(views));
        if (docs)
            app->SetDocumentFactory(std::move(docs));
        return app->InitInstance(files);
    }
    void Stop() { app.reset(); }

    CMainFrame& Frame() const { return *app->MainFrame(); }
    CChildFrame* Active() const { return app->MainFrame()->ActiveChildFrame(); }
    RecordingView* ActiveRecordingView() const {
        CChildFrame* frame = Active();
        return frame ? dynamic_cast<RecordingView*>(frame->GetActiveView()) : nullptr;
    }
    QStringList Messages() const {
        QStringList texts;
        for (const std::string& text : box.Texts())
            texts.append(QString::fromStdString(text));
        return texts;
    }

    HeadlessMessageBox box;
    ScopedMessageBox scoped{box};
    ScriptedPrompts prompts;
    std::unique_ptr<CPolyvaneApp> app;

  private:
    QString m_settingsDir;
};

} // namespace polyvane::test
