#pragma once
// The dialog services of the Qt application: modal dialogs built from their templates, and the
// toolkit's colour and open-file dialogs. Constructing QtDialogServices installs all three until
// it is destroyed.
#include "platform/CDialog.h"
#include "platform/CommonDialogs.h"

#include <QString>

#include <functional>
#include <utility>

class QFileDialog;
class QWidget;

namespace polyvane {

// The window a dialog of the program belongs to: the active window, when there is one.
QWidget* DialogOwnerWindow();

class QtDialogService final : public IDialogService {
  public:
    int RunModal(CDialog& dialog) override;
};

class QtColorChooser final : public IColorChooser {
  public:
    std::optional<COLORREF> ChooseColor(COLORREF initial) override;
    std::optional<ColourAndFlag> ChooseColorAndFlag(COLORREF initial, bool flag,
                                                    std::string_view flagName) override;
};

class QtFileChooser final : public IFileChooser {
  public:
    std::optional<std::string> ChooseOpenFile(std::string_view filter,
                                              std::string_view defaultExtension) override;
    std::optional<std::string> ChooseFolder() override;
    // Where the dialogs start (an empty answer: the working folder).
    void SetStartFolder(std::function<QString()> folder) { m_startFolder = std::move(folder); }

  private:
    [[nodiscard]] QString StartFolder() const { return m_startFolder ? m_startFolder() : QString(); }
    std::function<QString()> m_startFolder;
};

// "Name (*.A;*.B)|*.A;*.B|Other|*.C||" as the toolkit's name filters: "Name (*.A *.B)", "Other (*.C)".
QStringList ToQtNameFilters(std::string_view filter);

// Sets `dialog` up to pick one existing file through `filter`, matching its patterns in any letter
// case, adding `defaultExtension` to a name typed without one.
void ConfigureOpenFileDialog(QFileDialog& dialog, std::string_view filter, std::string_view defaultExtension);

class QtDialogServices {
  public:
    QtDialogServices() = default;
    QtDialogServices(const QtDialogServices&) = delete;
    QtDialogServices& operator=(const QtDialogServices&) = delete;

    [[nodiscard]] QtFileChooser& Files() { return m_files; }

  private:
    QtDialogService m_dialogs;
    QtColorChooser m_colours;
    QtFileChooser m_files;
    ScopedDialogService m_installDialogs{m_dialogs};
    ScopedColorChooser m_installColours{m_colours};
    ScopedFileChooser m_installFiles{m_files};
};

} // namespace polyvane
