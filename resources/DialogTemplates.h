#pragma once
// The dialog templates: every control's ID, kind, text, style, position and size in dialog units.
// The Qt backend lays the dialogs out from these tables; the headless host builds its controls from
// them too, so both offer exactly the same controls.
#include "DialogIds.h"
#include "platform/DialogTemplate.h"

namespace polyvane::resources {

namespace detail {
using namespace ControlStyle;
using K = ControlKind;
constexpr std::uint32_t kDialogFrame =
    DialogStyle::ModalFrame | DialogStyle::Caption | DialogStyle::SystemMenu;
constexpr std::uint32_t kEditStyle = Number | Border | AutoScroll | TabStop;

inline constexpr DialogControl kSelectPrimControls[] = {
    {IDOK, K::DefPushButton, "OK", TabStop, 131, 7, 50, 14},
    {IDCANCEL, K::PushButton, "Cancel", TabStop, 131, 24, 50, 14},
    {IDC_PRIM_INDEX, K::Edit, "", Border | AutoScroll | TabStop, 45, 13, 47, 12},
    {IDC_PRIM_SLIDER, K::Slider, "", TicksBothSides | AutoTicks | TabStop, 15, 26, 103, 25},
};

inline constexpr DialogControl kTimManagerControls[] = {
    {IDOK, K::DefPushButton, "&Done", TabStop, 259, 7, 47, 13},
    {IDC_TIM_LIST, K::ListBox, "", Sorted | Notify | VScroll | Border | NoIntegralHeight | TabStop, 13, 7,
     229, 80},
    {IDC_TIM_ADD, K::PushButton, "&Add", TabStop, 259, 24, 47, 13},
    {IDC_TIM_REMOVE, K::PushButton, "&Remove", TabStop, 259, 41, 47, 13},
    {IDC_TIM_PALETTES, K::ListBox, "", VScroll | Border | NoIntegralHeight | TabStop, 13, 95, 229, 56},
    {IDC_TIM_SHOW_PALETTES, K::PushButton, "&Palettes", TabStop, 259, 95, 47, 13},
    {IDC_TIM_USE_PALETTE, K::PushButton, "&Use Palette", TabStop, 259, 112, 47, 13},
};

inline constexpr DialogControl kPrimModifierControls[] = {
    {IDOK, K::DefPushButton, "OK", TabStop, 197, 4, 50, 14},
    {IDCANCEL, K::PushButton, "Cancel", TabStop, 197, 24, 50, 14},
    {IDC_LABEL_V0, K::Text, "V0", 0, 28, 10, 18, 8},
    {IDC_LABEL_V1, K::Text, "V1", 0, 61, 10, 10, 8},
    {IDC_LABEL_V2, K::Text, "V2", 0, 92, 10, 10, 8},
    {IDC_LABEL_V3, K::Text, "V3", 0, 123, 10, 10, 8},
    {IDC_SWATCH_V0, K::Swatch, "", Notify, 25, 21, 20, 20},
    {IDC_SWATCH_V1, K::Swatch, "", Notify, 56, 21, 20, 20},
    {IDC_SWATCH_V2, K::Swatch, "", Notify, 87, 21, 20, 20},
    {IDC_SWATCH_V3, K::Swatch, "", Notify, 118, 21, 20, 20},
    {IDC_GOURAUD, K::CheckBox, "&Gouraud", TabStop, 19, 51, 49, 10},
    {IDC_DOUBLE_SIDED, K::CheckBox, "&Double Sided", TabStop, 77, 51, 59, 10},
    {IDC_BRIGHTNESS, K::CheckBox, "&Brightness", TabStop, 143, 51, 49, 10},
    {IDC_GRADATION, K::CheckBox, "G&radation", TabStop, 19, 65, 49, 10},
    {IDC_TEXTURED, K::CheckBox, "&Textured", TabStop, 77, 65, 47, 10},
    {IDC_TRANSLUCENT, K::CheckBox, "Transl&ucent", TabStop, 143, 65, 53, 10},
    {IDC_LIGHTSOURCED, K::CheckBox, "&Lightsourced", TabStop, 19, 79, 56, 10},
    {IDC_TEXTURE_GROUP, K::GroupBox, "Texture", 0, 17, 100, 220, 72},
    {IDC_TRANSPARENCY_GROUP, K::GroupBox, "Transparency", 0, 157, 107, 74, 61},
    {IDC_COLOUR_MODE_GROUP, K::GroupBox, "Colour Mode", 0, 88, 116, 59, 47},
    {IDC_STATIC, K::Text, "Tpage", 0, 24, 121, 22, 8},
    {IDC_STATIC, K::Text, "CLUT x", 0, 21, 137, 25, 8},
    {IDC_STATIC, K::Text, "CLUT y", 0, 21, 153, 25, 8},
    {IDC_TPAGE, K::Edit, "", kEditStyle, 48, 118, 31, 12},
    {IDC_CLUT_X, K::Edit, "", kEditStyle, 48, 134, 31, 12},
    {IDC_CLUT_Y, K::Edit, "", kEditStyle, 48, 150, 31, 12},
    {IDC_MODE_4BIT, K::RadioButton, "&4 Bit", Group | TabStop, 95, 126, 30, 10},
    {IDC_MODE_8BIT, K::RadioButton, "&8 Bit", 0, 95, 137, 30, 10},
    {IDC_MODE_15BIT, K::RadioButton, "&15 Bit", 0, 95, 148, 34, 10},
    {IDC_ABR_NORMAL, K::RadioButton, "&Normal", Group | TabStop, 160, 116, 38, 10},
    {IDC_ABR_ADDITION, K::RadioButton, "&Addition", 0, 160, 128, 41, 10},
    {IDC_ABR_SUBTRACTION, K::RadioButton, "&Subtraction", 0, 160, 140, 52, 10},
    {IDC_ABR_QUARTER, K::RadioButton, "&25% Addition", 0, 160, 152, 57, 10},
    {IDC_SELECT_TIM, K::PushButton, "Select TIM", Group | TabStop, 19, 177, 60, 12},
};

inline constexpr DialogControl kStatsControls[] = {
    {IDOK, K::DefPushButton, "OK", TabStop, 129, 7, 50, 14},
    {IDCANCEL, K::PushButton, "Cancel", TabStop, 129, 24, 50, 14},
    {IDC_STATIC, K::Text, "Min", 0, 34, 15, 12, 8},
    {IDC_STATIC, K::Text, "Max", 0, 66, 15, 14, 8},
    {IDC_STATIC, K::Text, "X", 0, 14, 26, 8, 8},
    {IDC_STATIC, K::Text, "Y", 0, 14, 36, 8, 8},
    {IDC_STATIC, K::Text, "Z", 0, 14, 46, 8, 8},
    {IDC_MIN_X, K::Text, "-32768", 0, 28, 26, 23, 8},
    {IDC_MAX_X, K::Text, "32767", 0, 63, 26, 21, 8},
    {IDC_MIN_Y, K::Text, "-32768", 0, 28, 36, 23, 8},
    {IDC_MAX_Y, K::Text, "32767", 0, 63, 36, 21, 8},
    {IDC_MIN_Z, K::Text, "-32768", 0, 28, 46, 23, 8},
    {IDC_MAX_Z, K::Text, "32767", 0, 63, 46, 21, 8},
    {IDC_PACKET_COUNTS, K::Text, "", 0, 14, 62, 112, 8},
};
} // namespace detail

inline constexpr DialogTemplate kDialogTemplates[] = {
    {IDD_SELECT_PRIM, "Select Polygon", detail::kDialogFrame, 188, 95, "MS Sans Serif", 8,
     detail::kSelectPrimControls},
    {IDD_TIM_MANAGER, "TIM Manager", detail::kDialogFrame, 313, 159, "MS Sans Serif", 8,
     detail::kTimManagerControls},
    {IDD_PRIM_MODIFIER, "Prmitive Modifier", detail::kDialogFrame, 254, 202, "MS Sans Serif", 8,
     detail::kPrimModifierControls},
    {IDD_STATS, "Statistics", detail::kDialogFrame | DialogStyle::SetForeground, 186, 95, "MS Sans Serif", 8,
     detail::kStatsControls},
};

} // namespace polyvane::resources
