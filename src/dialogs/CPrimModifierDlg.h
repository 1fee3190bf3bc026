#pragma once
// The primitive modifier: edits a private copy of one primitive's shading, lighting, texture,
// transparency and vertex colours, and writes the copy back only when closed with OK.
#include "DialogIds.h"
#include "formats/FrameBufferLayout.h"
#include "formats/TmdTypes.h"
#include "platform/CDialog.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace polyvane {

// What "Select TIM" takes from the texture the user picks.
struct TimTextureSettings {
    std::uint8_t pixelMode = 0; // the TIM's colour mode, bits 0-2 of its flag word
    bool hasClut = false;
    std::uint16_t clutX = 0, clutY = 0;   // frame-buffer origin of the colour table
    std::uint16_t imageX = 0, imageY = 0; // frame-buffer origin of the pixel data
};

// The settings of a loaded texture record (any record with these fields).
template <typename Tim> TimTextureSettings TimTextureSettingsOf(const Tim& tim) {
    return TimTextureSettings{
        static_cast<std::uint8_t>(tim.pixelMode), static_cast<bool>(tim.hasClut),
        static_cast<std::uint16_t>(tim.clutX),    static_cast<std::uint16_t>(tim.clutY),
        static_cast<std::uint16_t>(tim.imageX),   static_cast<std::uint16_t>(tim.imageY)};
}

// Runs the TIM manager on the document's texture list; the picked texture's settings, or none when
// the manager was cancelled or closed without a choice.
using TimPicker = std::function<std::optional<TimTextureSettings>()>;

namespace detail {
// The texture record a chosen position designates: follows pointers, iterators and optionals down
// to the record itself.
template <typename Position> const auto& ChosenRecord(const Position& position) {
    if constexpr (requires { position.pixelMode; })
        return position;
    else
        return ChosenRecord(*position);
}
} // namespace detail

// The picker that runs the texture manager dialog `ManagerDlg` on `list`: the settings of the
// texture chosen with OK, or none. The manager takes its list in m_pTimList and leaves the chosen
// entry's position, or none, in m_pChosen. `configure` prepares the manager before it runs.
template <typename ManagerDlg, typename TimList>
TimPicker TimManagerPicker(TimList& list, std::function<void(ManagerDlg&)> configure = {}) {
    return [&list, configure]() -> std::optional<TimTextureSettings> {
        ManagerDlg manager(nullptr);
        manager.m_pTimList = &list;
        if (configure)
            configure(manager);
        if (manager.DoModal() != IDOK || !manager.m_pChosen)
            return std::nullopt;
        return TimTextureSettingsOf(detail::ChosenRecord(manager.m_pChosen));
    };
}

// Takes a texture's colour mode, colour-table position and texture page into `prim`.
void ApplyTimTexture(WorkPrimitive& prim, const TimTextureSettings& tim);

class CPrimModifierDlg : public CDialog {
  public:
    explicit CPrimModifierDlg(void* parent = nullptr);

    bool OnInitDialog() override;
    void OnPaint() override;
    void OnOK() override;
    bool OnCmdMsg(unsigned id, CCmdUI* update) override;

    // Runs the texture manager for "Select TIM"; without one the button picks nothing.
    TimPicker m_pickTim;
    // The record every control edits: the caller sets it before the dialog runs and, after OK, takes
    // the edited record from it.
    WorkPrimitive m_work{};
    std::int32_t m_nClutX = 0;
    std::int32_t m_nClutY = 0;
    std::uint8_t m_nTpage = 0;

    // Handlers.
    void OnGouraud() { ToggleBit(IDC_GOURAUD, PA_GOURAUD, true); }
    void OnGradation() { ToggleBit(IDC_GRADATION, PA_GRADATION, true); }
    void OnLightsourced() { ToggleBit(IDC_LIGHTSOURCED, PA_LIGHT, true); }
    void OnTextured() { ToggleBit(IDC_TEXTURED, PA_TEXTURED, true); }
    void OnDoubleSided() { ToggleBit(IDC_DOUBLE_SIDED, PA_DOUBLE, false); }
    void OnBrightness() { ToggleBit(IDC_BRIGHTNESS, PA_BRIGHTNESS, false); }
    void OnTranslucent() { ToggleBit(IDC_TRANSLUCENT, PA_TRANSLUCENT, false); }
    void On4Bit() { SetColourMode(0); }
    void On8Bit() { SetColourMode(1); }
    void On15Bit() { SetColourMode(2); }
    void OnAbrNormal() { m_work.abr = 0; }
    void OnAbrAddition() { m_work.abr = 1; }
    void OnAbrSubtraction() { m_work.abr = 2; }
    void OnAbrQuarter() { m_work.abr = 3; }
    void OnSwatchV0() { ChooseColour(0); }
    void OnSwatchV1() { ChooseColour(1); }
    void OnSwatchV2() { ChooseColour(2); }
    void OnSwatchV3() { ChooseColour(3); }
    void OnSelectTim();

  protected:
    void DoDataExchange(CDataExchange& dx) override;

  private:
    void ToggleBit(int id, std::uint16_t bit, bool repaint);
    void SetColourMode(std::uint8_t mode);
    void ChooseColour(int vertex);
    void WriteTextureEdits();
};

} // namespace polyvane
