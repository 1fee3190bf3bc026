#pragma once
// Command IDs shared by the menus, toolbar, accelerators and the handlers that route them.
namespace polyvane {

// Commands of the framework.
constexpr unsigned ID_FILE_NEW = 57600;
constexpr unsigned ID_FILE_OPEN = 57601;
constexpr unsigned ID_FILE_CLOSE = 57602;
constexpr unsigned ID_FILE_SAVE = 57603;
constexpr unsigned ID_FILE_SAVE_AS = 57604;
constexpr unsigned ID_FILE_PRINT = 57607;
constexpr unsigned ID_FILE_MRU_FILE1 = 57616;
constexpr unsigned ID_EDIT_COPY = 57634;
constexpr unsigned ID_EDIT_CUT = 57635;
constexpr unsigned ID_EDIT_PASTE = 57637;
constexpr unsigned ID_EDIT_UNDO = 57643;
constexpr unsigned ID_EDIT_REDO = 57644;
constexpr unsigned ID_WINDOW_NEW = 57648;
constexpr unsigned ID_WINDOW_ARRANGE = 57649;
constexpr unsigned ID_WINDOW_CASCADE = 57650;
constexpr unsigned ID_WINDOW_TILE_HORZ = 57651;
constexpr unsigned ID_APP_ABOUT = 57664;
constexpr unsigned ID_APP_EXIT = 57665;
constexpr unsigned ID_NEXT_PANE = 57680;
constexpr unsigned ID_PREV_PANE = 57681;
constexpr unsigned ID_VIEW_TOOLBAR = 59392;
constexpr unsigned ID_VIEW_STATUS_BAR = 59393;

// Commands of the program.
constexpr unsigned ID_VIEW_VRAM = 32773;
constexpr unsigned ID_VIEW_WIREFRAME = 32775;
constexpr unsigned ID_VIEW_OBJECT_TABLE = 32782;
constexpr unsigned ID_VIEW_SOLID = 32785;
constexpr unsigned ID_VIEW_FRONT = 32789;
constexpr unsigned ID_VIEW_SIDE = 32790;
constexpr unsigned ID_VIEW_TOP = 32791;
constexpr unsigned ID_OBJECT_SELECT_PRIM = 32792;
constexpr unsigned ID_OBJECT_NEXT_PRIM = 32793;
constexpr unsigned ID_OBJECT_PREV_PRIM = 32794;
constexpr unsigned ID_VIEW_BLANK = 32797;
constexpr unsigned ID_TEXTURES_TIM_MANAGER = 32798;
constexpr unsigned ID_TEXTURES_VIEW = 32799;
constexpr unsigned ID_OBJECT_NEXT_OBJECT = 32800;
constexpr unsigned ID_OBJECT_PREV_OBJECT = 32801;
constexpr unsigned ID_OBJECT_MODIFY_PRIM = 32804;
constexpr unsigned ID_TEXTURES_SCALE_PROMPT = 32805;
constexpr unsigned ID_TEXTURES_SCALE_1_1 = 32806;
constexpr unsigned ID_OBJECT_PREVIEW = 32807;
constexpr unsigned ID_VIEW_SHOW_VERTEX_NUMBERS = 32809;
constexpr unsigned ID_OBJECT_STATS = 32810;
constexpr unsigned ID_TOOLS_SWAP_XZ = 32811;
constexpr unsigned ID_TOOLS_FLIP_Y = 32812;
constexpr unsigned ID_TOOLS_FLIP_X = 32813;
constexpr unsigned ID_TOOLS_FLIP_Z = 32814;
constexpr unsigned ID_FILE_IMPORT = 32820;
constexpr unsigned ID_FILE_EXPORT = 32821;
constexpr unsigned ID_TEXTURES_IMPORT_IMAGE = 32822;
constexpr unsigned ID_TEXTURES_SAVE_TIM_AS = 32823;
constexpr unsigned ID_VIEW_FIT_TO_WINDOW = 32830;
constexpr unsigned ID_VIEW_TEXTURED = 32815;
constexpr unsigned ID_VIEW_DITHER = 32816;
constexpr unsigned ID_TEXTURES_LOAD_FOLDER = 32817;
constexpr unsigned ID_VIEW_VRAM_RAW = 32870;
constexpr unsigned ID_VIEW_VRAM_4BIT = 32871;
constexpr unsigned ID_VIEW_VRAM_8BIT = 32872;
constexpr unsigned ID_VIEW_VRAM_WHOLE_WIDTH = 32873;
constexpr unsigned ID_VIEW_VRAM_CLUT_FROM_PRIM = 32874;
constexpr unsigned ID_TEXTURES_LIST_OVERLAPS = 32875;
constexpr unsigned ID_TEXTURES_UPDATE_MODEL = 32876;
constexpr unsigned ID_TEXTURES_LOAD_DUMP = 32877;
constexpr unsigned ID_TEXTURES_SAVE_DUMP = 32878;
constexpr unsigned ID_TEXTURES_SAVE_VRAM_PNG = 32879;
constexpr unsigned ID_TEXTURES_CUT_TIM = 32880;
constexpr unsigned ID_TEXTURES_EXPORT_PAGE_PNG = 32881;
constexpr unsigned ID_TEXTURES_REPLACE_ROW = 32882;
constexpr unsigned ID_FILE_SCAN = 32824;

} // namespace polyvane
