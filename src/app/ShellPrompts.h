#pragma once
// The questions the shell asks the user: whether to save a modified document or reload one changed on
// disk, and which file to open or save to. The Qt backend asks with real dialogs; tests plug in scripted
// answers.
#include <QString>

namespace polyvane {

enum class SaveAnswer { yes, no, cancel };

class IShellPrompts {
  public:
    virtual ~IShellPrompts() = default;
    // "Save changes to TITLE?" with Yes, No and Cancel.
    virtual SaveAnswer AskSaveChanges(const QString& title) = 0;
    // "TITLE has changed on disk. Reload it and lose your changes?" with Yes and No: true to reload.
    virtual bool AskReload(const QString& title) = 0;
    // "Write MODEL back into IMAGE?" with Yes and No: true to write.
    virtual bool AskWriteBack(const QString& model, const QString& image) = 0;
    // The full path of the file to open, or empty when the user cancelled.
    virtual QString ChooseOpenPath() = 0;
    // The full path to save to, starting from `suggested`, or empty when the user cancelled.
    virtual QString ChooseSavePath(const QString& suggested) = 0;
    // A file of another program's format to read, or to write when `save`; empty when cancelled.
    virtual QString ChooseExchangePath(const QString& title, const QString& filter, bool save) = 0;
};

class QtShellPrompts final : public IShellPrompts {
  public:
    SaveAnswer AskSaveChanges(const QString& title) override;
    bool AskReload(const QString& title) override;
    bool AskWriteBack(const QString& model, const QString& image) override;
    QString ChooseOpenPath() override;
    QString ChooseSavePath(const QString& suggested) override;
    QString ChooseExchangePath(const QString& title, const QString& filter, bool save) override;
};

} // namespace polyvane
