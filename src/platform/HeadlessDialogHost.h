#pragma once
// Dialogs without a display. The host keeps each control of the template as plain state and plays
// the user's part (clicks, typing, selecting, Escape) on request; the service runs a queue of such
// scripts, one per dialog opened, and cancels any dialog it has no script for.
#include "CDialog.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace polyvane {

struct HeadlessControl {
    int id = 0;
    ControlKind kind = ControlKind::Text;
    std::uint32_t style = 0;
    int group = 0; // radio buttons with the same number exclude one another
    CRect client;  // pixels, at 3/2 pixel per horizontal and 13/8 per vertical dialog unit
    std::string text;
    bool enabled = true;
    int check = BST_UNCHECKED;
    // The last fill of a swatch while it was enabled; disabling a swatch empties it.
    std::optional<CRect> fillRect;
    COLORREF fillColour = 0;
    int sliderMin = 0, sliderMax = 100, sliderPos = 0, tickFrequency = 1;
    std::vector<std::string> lines;
    int curSel = -1;
};

class HeadlessDialogHost final : public IDialogHost {
  public:
    explicit HeadlessDialogHost(const DialogTemplate& dialogTemplate);
    ~HeadlessDialogHost() override;
    HeadlessDialogHost(const HeadlessDialogHost&) = delete;
    HeadlessDialogHost& operator=(const HeadlessDialogHost&) = delete;

    // Attaches `dialog`, runs its initialisation and its first repaint, as showing it would.
    void Open(CDialog& dialog);

    // The user's actions. Each runs the dialog's handlers, then a repaint when one was requested;
    // disabled controls and a closed dialog ignore them, as a real window would.
    void Click(int id);
    void Type(int id, std::string_view text);
    void SelectLine(int id, int index);
    void DragSlider(int id, int position);
    void PressEnter() { Click(IDOK); }
    void PressEscape();
    // Repaints the dialog now (an exposure, or a requested repaint).
    void Repaint();

    [[nodiscard]] bool Ended() const { return m_result.has_value(); }
    [[nodiscard]] int Result() const { return m_result.value_or(0); }
    [[nodiscard]] const HeadlessControl* Control(int id) const;
    [[nodiscard]] const std::vector<HeadlessControl>& Controls() const { return m_controls; }
    [[nodiscard]] int FocusedControl() const { return m_focus; }
    [[nodiscard]] int Repaints() const { return m_repaints; }
    [[nodiscard]] const DialogTemplate& Template() const { return *m_template; }

    // IDialogHost
    [[nodiscard]] bool HasControl(int id) const override { return Control(id) != nullptr; }
    [[nodiscard]] ControlKind KindOf(int id) const override;
    void EnableControl(int id, bool enable) override;
    [[nodiscard]] bool IsControlEnabled(int id) const override;
    void SetControlText(int id, std::string_view text) override;
    [[nodiscard]] std::string GetControlText(int id) const override;
    void SetCheck(int id, int state) override;
    [[nodiscard]] int GetCheck(int id) const override;
    void Invalidate(bool erase) override;
    [[nodiscard]] CRect GetControlClientRect(int id) const override;
    void FillSolidRect(int id, const CRect& rect, COLORREF colour) override;
    void SetSliderRange(int id, int minimum, int maximum, bool redraw) override;
    void SetSliderTickFrequency(int id, int frequency) override;
    void SetSliderPos(int id, int position) override;
    [[nodiscard]] int GetSliderPos(int id) const override;
    int ListAddString(int id, std::string_view text) override;
    [[nodiscard]] int ListGetCurSel(int id) const override;
    [[nodiscard]] std::string ListGetText(int id, int index) const override;
    void ListDeleteString(int id, int index) override;
    [[nodiscard]] int ListGetCount(int id) const override;
    void FocusControl(int id) override;
    void EndDialog(int result) override;

  private:
    HeadlessControl* Find(int id);
    void AfterAction();

    const DialogTemplate* m_template;
    std::vector<HeadlessControl> m_controls;
    CDialog* m_pDialog = nullptr;
    std::optional<int> m_result;
    bool m_invalidated = false;
    int m_repaints = 0;
    int m_focus = 0;
};

// Plays one dialog's user actions on its host.
using DialogScript = std::function<void(HeadlessDialogHost&)>;

class HeadlessDialogService final : public IDialogService {
  public:
    // Queues the script for the next dialog opened.
    void Push(DialogScript script) { m_scripts.push_back(std::move(script)); }
    // Opens the dialog on a headless host and plays the next script; a dialog still open afterwards
    // is closed with Escape.
    int RunModal(CDialog& dialog) override;
    // Template IDs of the dialogs run, in order.
    [[nodiscard]] const std::vector<int>& Opened() const { return m_opened; }
    [[nodiscard]] std::size_t PendingScripts() const { return m_scripts.size(); }

  private:
    std::deque<DialogScript> m_scripts;
    std::vector<int> m_opened;
};

} // namespace polyvane
