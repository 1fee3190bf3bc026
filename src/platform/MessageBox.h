#pragma once
// The message box as a service. The Qt backend shows a modal box captioned with the application's
// title; the headless backend collects the texts. Core code shows every failure through this.
#include "ScopedService.h"

#include <string>
#include <string_view>
#include <vector>

namespace polyvane {

class IMessageBox {
  public:
    virtual ~IMessageBox() = default;
    // Shows `text` with one OK button and returns when the user has closed it.
    virtual void Show(std::string_view text) = 0;
    // Asks `text` with Yes and No buttons: true for Yes. Without buttons of its own the box shows the
    // text and answers Yes.
    virtual bool AskYesNo(std::string_view text) {
        Show(text);
        return true;
    }
};

// Collects every text shown; the default service, and the one tests inspect.
class HeadlessMessageBox final : public IMessageBox {
  public:
    void Show(std::string_view text) override { m_texts.emplace_back(text); }
    [[nodiscard]] const std::vector<std::string>& Texts() const { return m_texts; }
    void Clear() { m_texts.clear(); }

  private:
    std::vector<std::string> m_texts;
};

// Installs `box` as the service used by AfxMessageBox (null restores the headless default) and
// returns the one installed before.
IMessageBox* SetMessageBoxService(IMessageBox* box);
IMessageBox& MessageBoxService();
// The headless default service, for tests that want to read what was shown.
HeadlessMessageBox& DefaultHeadlessMessageBox();

// Shows one message with an OK button through the installed service.
void AfxMessageBox(std::string_view text);
// Asks one question with Yes and No buttons through the installed service; true for Yes.
bool AfxAskYesNo(std::string_view text);

// Installs a service for the lifetime of a scope.
using ScopedMessageBox = ScopedService<IMessageBox, SetMessageBoxService>;

// The file the messages shown during a scope are about (the innermost scope's); a box names it
// beside the message, whose text stays as it is.
class ScopedMessageSubject {
  public:
    explicit ScopedMessageSubject(std::string subject);
    ~ScopedMessageSubject();
    ScopedMessageSubject(const ScopedMessageSubject&) = delete;
    ScopedMessageSubject& operator=(const ScopedMessageSubject&) = delete;

  private:
    std::string m_previous;
};
// Empty outside every scope.
[[nodiscard]] const std::string& MessageSubject();

} // namespace polyvane
