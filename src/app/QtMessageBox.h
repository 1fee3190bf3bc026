#pragma once
// The message box service of the Qt backend: a modal box with one OK button, captioned with the
// application's title.
#include "platform/MessageBox.h"

namespace polyvane {

class QtMessageBox final : public IMessageBox {
  public:
    void Show(std::string_view text) override;
};

} // namespace polyvane
