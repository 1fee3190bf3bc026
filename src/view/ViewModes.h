#pragma once
// The model view's modes in one table: each mode's value, its View command with the menu text, status
// prompt, tooltip and toolbar picture, its name on the command line, and the paint that draws it. A
// new mode is one entry here and its paint.
#include "platform/CDC.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace polyvane {

class CPolyvaneView;
class CPolyvaneDoc;

// Values of CPolyvaneView::m_viewMode.
constexpr std::int32_t VM_WIREFRAME = 1;
constexpr std::int32_t VM_SOLID = 2;
constexpr std::int32_t VM_VRAM = 8;
constexpr std::int32_t VM_OBJECT_TABLE = 16;
constexpr std::int32_t VM_BLANK = 32;
constexpr std::int32_t VM_TEXTURED = 64;

// The toolbar pictures the application draws for the modes.
enum class ViewIcon { none, wireCube, solidCube, texturedCube, blankPage, table };

// What a paint is handed beside the surface and the document: the pen that marks the current
// primitive and the window's centre; a paint that makes the axes' pen leaves it for OnDraw to free.
struct ViewPaintTools {
    HGDIOBJ highlightPen = 0;
    CPoint centre;
    HGDIOBJ axisPen = 0;
};

struct ViewModeEntry {
    std::int32_t mode;
    unsigned command;
    const char* menuText; // in the View menu, in table order; null when the menu has no item for it
    const char* prompt;   // status-bar prompt; null for none
    const char* tip;      // tooltip; null for none
    bool checkedAtStart;  // the mode a new view starts in
    ViewIcon icon;        // on the toolbar, in table order, unless none
    const char* cliName;  // polyvane-cli render --mode
    void (CPolyvaneView::*paint)(CDC*, CPolyvaneDoc&, ViewPaintTools&);
};

[[nodiscard]] std::span<const ViewModeEntry> ViewModes();
[[nodiscard]] const ViewModeEntry* ViewModeOfCommand(unsigned command);
[[nodiscard]] const ViewModeEntry* ViewModeNamed(std::string_view cliName);

} // namespace polyvane
