#pragma once
// The message box service of the Qt backend: a modal box with one OK button, captioned with the
// application's title.
#include "platform/MessageBox.h"

class QMessageBox;

namespace polyvane {

// Widens a box so its caption shows whole: Qt sizes a box by its text and buttons alone, and a
// short text leaves the title bar too narrow for the caption.
void FitCaption(QMessageBox& box);

class QtMessageBox final : public IMessageBox {
  public:
    void Show(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;
};

} // namespace polyvane
