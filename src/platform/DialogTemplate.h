#pragma once
// A dialog template: the dialog's caption, size and font and each control's ID, kind, text, style,
// position and size in dialog units. The templates themselves are data in resources/.
#include <cstdint>
#include <span>
#include <string_view>

namespace polyvane {

// Result codes of a modal dialog, and the IDs of the buttons that give them.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
// The ID of controls that nothing addresses (labels, frames).
constexpr int IDC_STATIC = -1;

enum class ControlKind : std::uint8_t {
    DefPushButton,
    PushButton,
    CheckBox,    // auto check box: a click toggles it
    RadioButton, // auto radio button: a click checks it and clears the others of its group
    GroupBox,
    Text,   // static text, left aligned
    Swatch, // grey-framed static that reports clicks; its owner fills it with a colour
    Edit,
    Slider, // horizontal track bar
    ListBox,
};

// Style bits of a control, as far as the backends need them.
namespace ControlStyle {
constexpr std::uint32_t Group = 0x0001;   // starts a group (radio buttons up to the next one form one group)
constexpr std::uint32_t TabStop = 0x0002; // reachable with Tab
constexpr std::uint32_t Number = 0x0004;  // edit: digits only
constexpr std::uint32_t Border = 0x0008;  // edit, list box: a sunken border
constexpr std::uint32_t AutoScroll = 0x0010;       // edit: scrolls horizontally as the user types
constexpr std::uint32_t Sorted = 0x0020;           // list box: keeps its lines in alphabetical order
constexpr std::uint32_t Notify = 0x0040;           // static, list box: reports clicks and selection changes
constexpr std::uint32_t VScroll = 0x0080;          // list box: vertical scroll bar
constexpr std::uint32_t NoIntegralHeight = 0x0100; // list box: exact height, partial lines shown
constexpr std::uint32_t TicksBothSides = 0x0200;   // slider: tick marks above and below
constexpr std::uint32_t AutoTicks = 0x0400;        // slider: ticks placed at the tick frequency
} // namespace ControlStyle

// Style bits of the dialog itself.
namespace DialogStyle {
constexpr std::uint32_t ModalFrame = 0x0001;
constexpr std::uint32_t Caption = 0x0002;
constexpr std::uint32_t SystemMenu = 0x0004;
constexpr std::uint32_t SetForeground = 0x0008; // brought to the foreground when shown
} // namespace DialogStyle

struct DialogControl {
    int id;
    ControlKind kind;
    std::string_view text;
    std::uint32_t style;
    int x, y, cx, cy; // dialog units
};

struct DialogTemplate {
    int id;
    std::string_view caption;
    std::uint32_t style;
    int cx, cy; // client size in dialog units
    std::string_view fontName;
    int fontPointSize;
    std::span<const DialogControl> controls;
};

// The template with resource ID `id` among those installed, or null.
[[nodiscard]] const DialogTemplate* FindDialogTemplate(int id);
// Installs the program's templates (they are the program's data, not the framework's); returns the
// ones installed before.
std::span<const DialogTemplate> SetDialogTemplates(std::span<const DialogTemplate> templates);

} // namespace polyvane
