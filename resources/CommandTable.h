#pragma once
// The program's command vocabulary as plain data: every command's status-bar prompt and tooltip, the
// two menu bars, the toolbar groups and the accelerators. The Qt backend builds its menus, toolbar,
// shortcuts and status prompts from these tables and from nothing else.
#include <span>

namespace polyvane::resources {

// How a command's menu item and button show a check mark before any update handler has run.
enum class Check { none, checkable, checked };

struct CommandInfo {
    unsigned id;
    const char* prompt; // status-bar text; null when the command has none
    const char* tip;    // tooltip; null when the command has none
    Check check;
};

// One menu entry. A null text is a separator. The entry of ID_FILE_MRU_FILE1 stands for the whole
// recently-used list; that of kViewModesHere for the model view's modes.
// In a menu or a toolbar group: the model view's modes, whose commands, texts and pictures the view's
// mode table holds.
inline constexpr unsigned kViewModesHere = 0xFFFFFFFFu;

struct MenuItem {
    const char* text;
    unsigned id;
};

struct Menu {
    const char* title;
    std::span<const MenuItem> items;
};

struct Accelerator {
    const char* keys; // portable key-sequence text, e.g. "Ctrl+Ins"
    unsigned id;
};

// The title of the main frame, and the application's name shown as the message boxes' caption.
inline constexpr const char* kFrameTitle = "TMD";
inline constexpr const char* kAppName = "polyvane";
// Settings keys of the recently-used list.
inline constexpr const char* kCompanyKey = "Brindlecote Productions";
inline constexpr int kRecentFileCount = 6;
// The document type: the name new documents are titled with and its extension.
inline constexpr const char* kDocName = "tmd";
inline constexpr const char* kDocExtension = ".tmd";
inline constexpr const char* kShellTypeId = "Polyvane.Document";
inline constexpr const char* kShellTypeName = "tmd Document";
inline constexpr const char* kIdlePrompt = "Ready";

std::span<const CommandInfo> Commands();
// Null when `id` is not in the table.
const CommandInfo* FindCommand(unsigned id);

// The menu bar shown while a document window is active.
std::span<const Menu> DocumentMenus();
// The menu bar shown while no document is open.
std::span<const Menu> FrameMenus();

// The toolbar's groups of command IDs; a separator stands between neighbouring groups.
std::span<const std::span<const unsigned>> ToolbarGroups();

std::span<const Accelerator> Accelerators();

} // namespace polyvane::resources
