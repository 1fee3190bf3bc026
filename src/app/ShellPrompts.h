#pragma once
// The questions the shell asks the user: whether to save a modified document or reload one changed on
// disk, and which file to open or save to. The Qt backend asks with real dialogs; tests plug in scripted
// answers.
#include "Preferences.h"

#include <QString>

#include <optional>

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
    // The full path of the file to open, starting in `folder` (empty: the working folder), or empty
    // when the user cancelled.
    virtual QString ChooseOpenPath(const QString& folder) = 0;
    // The full path to save to, starting from `suggested`, or empty when the user cancelled.
    virtual QString ChooseSavePath(const QString& suggested) = 0;
    // A file of another program's format to read, or to write when `save`; empty when cancelled.
    // `start` is the folder to start in, or for a save the suggested path. A name saved without an
    // extension gets the chosen filter's.
    virtual QString ChooseExchangePath(const QString& title, const QString& filter, bool save,
                                       const QString& start) = 0;
    // The preferences the user chose, starting from `current`; none when cancelled.
    virtual std::optional<Preferences> ChoosePreferences(const Preferences& current) = 0;
};

// `path` with the first extension of `filter` ("glTF binary (*.glb)") added when its name has none.
[[nodiscard]] QString WithFilterExtension(const QString& path, const QString& filter);

class QtShellPrompts final : public IShellPrompts {
  public:
    SaveAnswer AskSaveChanges(const QString& title) override;
    bool AskReload(const QString& title) override;
    bool AskWriteBack(const QString& model, const QString& image) override;
    QString ChooseOpenPath(const QString& folder) override;
    QString ChooseSavePath(const QString& suggested) override;
    QString ChooseExchangePath(const QString& title, const QString& filter, bool save,
                               const QString& start) override;
    std::optional<Preferences> ChoosePreferences(const Preferences& current) override;
};

} // namespace polyvane
