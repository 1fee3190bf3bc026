#include "CommandTable.h"

#include "CommandIds.h"

namespace polyvane::resources {

namespace {

constexpr CommandInfo kCommands[] = {
    {ID_FILE_NEW, "Create a new document", "New", Check::none},
    {ID_FILE_OPEN, "Open an existing document", "Open", Check::none},
    {ID_FILE_CLOSE, "Close the active document", "Close", Check::none},
    {ID_FILE_SAVE, "Save the active document", "Save", Check::none},
    {ID_FILE_SAVE_AS, "Save the active document with a new name", "Save As", Check::none},
    {ID_FILE_IMPORT, "Read a model another program wrote into a new document", "Import", Check::none},
    {ID_FILE_EXPORT, "Write the model as glTF or OBJ with its textures", "Export", Check::none},
    {ID_FILE_SCAN, "Find the models and textures inside a game's disc image or data file", "Scan",
     Check::none},
    {ID_FILE_PRINT, "Print the active document", "Print", Check::none},
    {ID_FILE_MRU_FILE1, "Open this document", nullptr, Check::none},
    {ID_APP_EXIT, "Quit the application; prompts to save documents", "Exit", Check::none},
    {ID_EDIT_UNDO, "Undo the last action", "Undo", Check::none},
    {ID_EDIT_REDO, "Redo the previously undone action", "Redo", Check::none},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard", "Cut", Check::none},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard", "Copy", Check::none},
    {ID_EDIT_PASTE, "Insert Clipboard contents", "Paste", Check::none},
    {ID_EDIT_PREFERENCES, "Change the editor's preferences", "Preferences", Check::none},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar", "Toggle Toolbar", Check::checkable},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar", "Toggle Status Bar", Check::checkable},
    {ID_VIEW_DITHER, "Dither the textured view as the console does", nullptr, Check::checkable},
    {ID_VIEW_SHOW_VERTEX_NUMBERS, "Show Vertex Numbers", nullptr, Check::checkable},
    {ID_VIEW_FRONT, "Front View", "Front View", Check::none},
    {ID_VIEW_SIDE, "Side View", "Side View", Check::none},
    {ID_VIEW_TOP, "Top View", "Top View", Check::none},
    {ID_VIEW_FIT_TO_WINDOW, "Show the whole selected object, filling the window", "Fit to Window",
     Check::none},
    {ID_OBJECT_SELECT_PRIM, "Select primitive", nullptr, Check::none},
    {ID_OBJECT_NEXT_PRIM, "Next Primitive", "Next Primitive", Check::none},
    {ID_OBJECT_PREV_PRIM, "Previous Primitive", "Previous Primitive", Check::none},
    {ID_OBJECT_NEXT_OBJECT, "Select Next Object", "Next Object", Check::none},
    {ID_OBJECT_PREV_OBJECT, "Select Previous Object", "Previous Object", Check::none},
    {ID_OBJECT_MODIFY_PRIM, "Modify the primitive", "Modify Primitive", Check::none},
    {ID_OBJECT_PREVIEW, "Preview Object", nullptr, Check::none},
    {ID_OBJECT_STATS, "Statistics", nullptr, Check::none},
    {ID_TEXTURES_TIM_MANAGER, "Show the TIM manager", nullptr, Check::none},
    {ID_TEXTURES_VIEW, "Show the texture view, or go back to the model view", nullptr, Check::checkable},
    {ID_TEXTURES_IMPORT_IMAGE, "Make a TIM texture from a PNG image", nullptr, Check::none},
    {ID_TEXTURES_SAVE_TIM_AS, "Save the last texture added as a TIM file", nullptr, Check::none},
    {ID_TEXTURES_WRITE_BACK, "Write the last texture read from game data back where it was found", nullptr,
     Check::none},
    {ID_TEXTURES_LOAD_FOLDER, "Add every TIM of a folder to the textures", nullptr, Check::none},
    {ID_VIEW_VRAM_RAW, "Show the frame buffer as 15-bit colours", "15-bit words", Check::checkable},
    {ID_VIEW_VRAM_4BIT, "Show the frame buffer as 4-bit texels through the chosen colour-table row",
     "4-bit pages", Check::checkable},
    {ID_VIEW_VRAM_8BIT, "Show the frame buffer as 8-bit texels through the chosen colour-table row",
     "8-bit pages", Check::checkable},
    {ID_VIEW_VRAM_WHOLE_WIDTH, "Show the whole width of the frame buffer, or one texture page", nullptr,
     Check::checkable},
    {ID_VIEW_VRAM_CLUT_FROM_PRIM, "Read texels through the current primitive's colour table and page",
     nullptr, Check::none},
    {ID_TEXTURES_LIST_OVERLAPS, "List where textures' images and colour tables overlap", nullptr,
     Check::none},
    {ID_TEXTURES_UPDATE_MODEL, "Offer to keep the model's primitives on a texture's texels when it is moved",
     nullptr, Check::checked},
    {ID_TEXTURES_LOAD_DUMP, "Load a raw frame-buffer dump under the textures", nullptr, Check::none},
    {ID_TEXTURES_SAVE_DUMP, "Save the frame-buffer memory as a raw dump", nullptr, Check::none},
    {ID_TEXTURES_SAVE_VRAM_PNG, "Save the frame-buffer memory as a PNG picture", nullptr, Check::none},
    {ID_TEXTURES_CUT_TIM, "Add the marked rectangle of the frame buffer as a new texture", nullptr,
     Check::none},
    {ID_TEXTURES_EXPORT_PAGE_PNG, "Save the shown texture page as a PNG through the chosen colour-table row",
     nullptr, Check::none},
    {ID_TEXTURES_REPLACE_ROW, "Replace the shown palette row with another TIM's or a PNG's colours", nullptr,
     Check::none},
    {ID_TEXTURES_SCALE_PROMPT, "Scale 1 to 1", nullptr, Check::none},
    {ID_TEXTURES_SCALE_1_1, "Scale 1 to 1", nullptr, Check::checked},
    {ID_TOOLS_SWAP_XZ, "Swap X and Z values of all points", nullptr, Check::none},
    {ID_TOOLS_FLIP_X, "Flips the sign of all X parts of each point", nullptr, Check::none},
    {ID_TOOLS_FLIP_Y, "Flips the sign of the Y part of all points", nullptr, Check::none},
    {ID_TOOLS_FLIP_Z, "Flips the sign of all Z parts of each point", nullptr, Check::none},
    {ID_WINDOW_NEW, "Open another window for the active document", "New Window", Check::none},
    {ID_WINDOW_CASCADE, "Arrange windows so they overlap", "Cascade Windows", Check::none},
    {ID_WINDOW_TILE_HORZ, "Arrange windows as non-overlapping tiles", "Tile Windows", Check::none},
    {ID_WINDOW_ARRANGE, "Arrange icons at the bottom of the window", "Arrange Icons", Check::none},
    {ID_APP_ABOUT, "Display program information, version number and copyright", "About", Check::none},
    {ID_NEXT_PANE, "Switch to the next window pane", nullptr, Check::none},
    {ID_PREV_PANE, "Switch back to the previous window pane", nullptr, Check::none},
};

constexpr MenuItem kSeparator{nullptr, 0};

constexpr MenuItem kDocFile[] = {
    {"&New\tCtrl+N", ID_FILE_NEW},
    {"&Open...\tCtrl+O", ID_FILE_OPEN},
    {"&Close", ID_FILE_CLOSE},
    {"&Save\tCtrl+S", ID_FILE_SAVE},
    {"Save &As...", ID_FILE_SAVE_AS},
    {"&Import...", ID_FILE_IMPORT},
    {"&Export...", ID_FILE_EXPORT},
    {"Sc&an...", ID_FILE_SCAN},
    kSeparator,
    {"Recent File", ID_FILE_MRU_FILE1},
    kSeparator,
    {"E&xit", ID_APP_EXIT},
};
constexpr MenuItem kDocEdit[] = {
    {"&Undo\tCtrl+Z", ID_EDIT_UNDO},
    {"&Redo\tCtrl+Y", ID_EDIT_REDO},
    kSeparator,
    {"Cu&t\tCtrl+X", ID_EDIT_CUT},
    {"&Copy\tCtrl+C", ID_EDIT_COPY},
    {"&Paste\tCtrl+V", ID_EDIT_PASTE},
    kSeparator,
    {"Pre&ferences...", ID_EDIT_PREFERENCES},
};
constexpr MenuItem kDocView[] = {
    {"&Toolbar", ID_VIEW_TOOLBAR},
    {"&Status Bar", ID_VIEW_STATUS_BAR},
    kSeparator,
    {"", kViewModesHere},
    kSeparator,
    {"TIM as &15-bit Words", ID_VIEW_VRAM_RAW},
    {"TIM as &4-bit Pages", ID_VIEW_VRAM_4BIT},
    {"TIM as &8-bit Pages", ID_VIEW_VRAM_8BIT},
    {"TIM Whole Widt&h", ID_VIEW_VRAM_WHOLE_WIDTH},
    {"TIM Colour Table from &Primitive", ID_VIEW_VRAM_CLUT_FROM_PRIM},
    kSeparator,
    {"Show &Vertex Numbers", ID_VIEW_SHOW_VERTEX_NUMBERS},
    {"&Dither", ID_VIEW_DITHER},
    kSeparator,
    {"&Fit to Window\tHome", ID_VIEW_FIT_TO_WINDOW},
};
constexpr MenuItem kDocObject[] = {
    {"&Select Primitive", ID_OBJECT_SELECT_PRIM},
    {"&Next Prim", ID_OBJECT_NEXT_PRIM},
    {"&Prev Prim", ID_OBJECT_PREV_PRIM},
    {"N&ext Object", ID_OBJECT_NEXT_OBJECT},
    {"P&rev Object", ID_OBJECT_PREV_OBJECT},
    {"&Modify Primitive", ID_OBJECT_MODIFY_PRIM},
    {"Pre&view", ID_OBJECT_PREVIEW},
    {"S&tats", ID_OBJECT_STATS},
};
constexpr MenuItem kDocTextures[] = {
    {"&TIM Manager", ID_TEXTURES_TIM_MANAGER},
    {"&View", ID_TEXTURES_VIEW},
    {"&Load Folder...", ID_TEXTURES_LOAD_FOLDER},
    {"&Import Image...", ID_TEXTURES_IMPORT_IMAGE},
    {"Save TIM &As...", ID_TEXTURES_SAVE_TIM_AS},
    {"&Write Back", ID_TEXTURES_WRITE_BACK},
    {"Scale &1:1", ID_TEXTURES_SCALE_1_1},
    kSeparator,
    {"Load Frame-Buffer &Dump...", ID_TEXTURES_LOAD_DUMP},
    {"Save Frame-Buffer D&ump...", ID_TEXTURES_SAVE_DUMP},
    {"Save Frame Buffer as &PNG...", ID_TEXTURES_SAVE_VRAM_PNG},
    {"&Export Page as PNG...", ID_TEXTURES_EXPORT_PAGE_PNG},
    {"&Cut Marked Rectangle as TIM", ID_TEXTURES_CUT_TIM},
    kSeparator,
    {"List &Overlaps", ID_TEXTURES_LIST_OVERLAPS},
    {"Offer Model Update on &Move", ID_TEXTURES_UPDATE_MODEL},
    {"&Replace Palette Row...", ID_TEXTURES_REPLACE_ROW},
};
constexpr MenuItem kDocTools[] = {
    {"&Swap X and Z", ID_TOOLS_SWAP_XZ},
    {"Flip &X points", ID_TOOLS_FLIP_X},
    {"Flip &Y points", ID_TOOLS_FLIP_Y},
    {"Flip &Z points", ID_TOOLS_FLIP_Z},
};
constexpr MenuItem kDocWindow[] = {
    {"&New Window", ID_WINDOW_NEW},
    {"&Cascade", ID_WINDOW_CASCADE},
    {"&Tile", ID_WINDOW_TILE_HORZ},
    {"&Arrange Icons", ID_WINDOW_ARRANGE},
};
constexpr MenuItem kHelp[] = {
    {"&About polyvane...", ID_APP_ABOUT},
};

constexpr Menu kDocumentMenus[] = {
    {"&File", kDocFile},         {"&Edit", kDocEdit},   {"&View", kDocView},     {"&Object", kDocObject},
    {"&Textures", kDocTextures}, {"Too&ls", kDocTools}, {"&Window", kDocWindow}, {"&Help", kHelp},
};

constexpr MenuItem kFrameFile[] = {
    {"&New\tCtrl+N", ID_FILE_NEW},
    {"&Open...\tCtrl+O", ID_FILE_OPEN},
    {"&Import...", ID_FILE_IMPORT},
    {"Sc&an...", ID_FILE_SCAN},
    kSeparator,
    {"Recent File", ID_FILE_MRU_FILE1},
    kSeparator,
    {"E&xit", ID_APP_EXIT},
};
constexpr MenuItem kFrameView[] = {
    {"&Toolbar", ID_VIEW_TOOLBAR},
    {"&Status Bar", ID_VIEW_STATUS_BAR},
};

constexpr Menu kFrameMenus[] = {
    {"&File", kFrameFile},
    {"&View", kFrameView},
    {"&Help", kHelp},
};

constexpr unsigned kGroupFile[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE};
constexpr unsigned kGroupEdit[] = {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_UNDO, ID_EDIT_REDO};
constexpr unsigned kGroupPrint[] = {ID_FILE_PRINT};
constexpr unsigned kGroupModes[] = {kViewModesHere};
constexpr unsigned kGroupVram[] = {ID_VIEW_VRAM, ID_VIEW_VRAM_RAW, ID_VIEW_VRAM_4BIT, ID_VIEW_VRAM_8BIT};
constexpr unsigned kGroupPresets[] = {ID_VIEW_FRONT, ID_VIEW_SIDE, ID_VIEW_TOP, ID_VIEW_FIT_TO_WINDOW};
constexpr unsigned kGroupPrims[] = {ID_OBJECT_PREV_PRIM, ID_OBJECT_NEXT_PRIM};
constexpr unsigned kGroupObjects[] = {ID_OBJECT_PREV_OBJECT, ID_OBJECT_NEXT_OBJECT};
constexpr unsigned kGroupModify[] = {ID_OBJECT_MODIFY_PRIM};
constexpr unsigned kGroupAbout[] = {ID_APP_ABOUT};

constexpr std::span<const unsigned> kToolbarGroups[] = {
    kGroupFile,    kGroupEdit,  kGroupPrint,   kGroupModes,  kGroupVram,
    kGroupPresets, kGroupPrims, kGroupObjects, kGroupModify, kGroupAbout,
};

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+N", ID_FILE_NEW},         {"Ctrl+O", ID_FILE_OPEN},        {"Ctrl+S", ID_FILE_SAVE},
    {"Ctrl+Z", ID_EDIT_UNDO},        {"Alt+Backspace", ID_EDIT_UNDO}, {"Ctrl+X", ID_EDIT_CUT},
    {"Shift+Del", ID_EDIT_CUT},      {"Ctrl+C", ID_EDIT_COPY},        {"Ctrl+Ins", ID_EDIT_COPY},
    {"Ctrl+V", ID_EDIT_PASTE},       {"Shift+Ins", ID_EDIT_PASTE},    {"F6", ID_NEXT_PANE},
    {"Shift+F6", ID_PREV_PANE},      {"Ctrl+Y", ID_EDIT_REDO},        {"Ctrl+Shift+Z", ID_EDIT_REDO},
    {"Home", ID_VIEW_FIT_TO_WINDOW},
};

} // namespace

std::span<const CommandInfo> Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(unsigned id) {
    for (const CommandInfo& info : kCommands)
        if (info.id == id)
            return &info;
    return nullptr;
}

std::span<const Menu> DocumentMenus() {
    return kDocumentMenus;
}
std::span<const Menu> FrameMenus() {
    return kFrameMenus;
}
std::span<const std::span<const unsigned>> ToolbarGroups() {
    return kToolbarGroups;
}
std::span<const Accelerator> Accelerators() {
    return kAccelerators;
}

} // namespace polyvane::resources
