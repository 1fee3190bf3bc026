#pragma once
// Resource IDs of the dialog templates and of their controls.
namespace polyvane {

constexpr int IDD_SELECT_PRIM = 131;
constexpr int IDD_TIM_MANAGER = 132;
constexpr int IDD_PRIM_MODIFIER = 133;
constexpr int IDD_STATS = 134;

// Select Polygon.
constexpr int IDC_PRIM_SLIDER = 1001;
constexpr int IDC_PRIM_INDEX = 1003;

// TIM Manager.
constexpr int IDC_TIM_LIST = 1004;
constexpr int IDC_TIM_ADD = 1005;
constexpr int IDC_TIM_REMOVE = 1006;
constexpr int IDC_TIM_PALETTES = 1044;
constexpr int IDC_TIM_SHOW_PALETTES = 1045;
constexpr int IDC_TIM_USE_PALETTE = 1046;

// Primitive modifier.
constexpr int IDC_GOURAUD = 1009;
constexpr int IDC_LIGHTSOURCED = 1010;
constexpr int IDC_DOUBLE_SIDED = 1011;
constexpr int IDC_GRADATION = 1012;
constexpr int IDC_TEXTURED = 1013;
constexpr int IDC_TRANSLUCENT = 1014;
constexpr int IDC_BRIGHTNESS = 1015;
constexpr int IDC_TEXTURE_GROUP = 1016;
constexpr int IDC_TPAGE = 1017;
constexpr int IDC_CLUT_X = 1018;
constexpr int IDC_CLUT_Y = 1019;
constexpr int IDC_COLOUR_MODE_GROUP = 1020;
constexpr int IDC_MODE_4BIT = 1021;
constexpr int IDC_MODE_8BIT = 1022;
constexpr int IDC_MODE_15BIT = 1023;
constexpr int IDC_TRANSPARENCY_GROUP = 1024;
constexpr int IDC_ABR_NORMAL = 1025;
constexpr int IDC_ABR_ADDITION = 1026;
constexpr int IDC_ABR_SUBTRACTION = 1027;
constexpr int IDC_ABR_QUARTER = 1028;
constexpr int IDC_SWATCH_V0 = 1029;
constexpr int IDC_SWATCH_V1 = 1030;
constexpr int IDC_SWATCH_V2 = 1031;
constexpr int IDC_SWATCH_V3 = 1032;
constexpr int IDC_LABEL_V0 = 1033;
constexpr int IDC_LABEL_V1 = 1034;
constexpr int IDC_LABEL_V2 = 1035;
constexpr int IDC_LABEL_V3 = 1036;
constexpr int IDC_SELECT_TIM = 1037;

// Statistics.
constexpr int IDC_MIN_X = 1038;
constexpr int IDC_MAX_X = 1039;
constexpr int IDC_MIN_Y = 1040;
constexpr int IDC_MIN_Z = 1041;
constexpr int IDC_MAX_Y = 1042;
constexpr int IDC_MAX_Z = 1043;
constexpr int IDC_PACKET_COUNTS = 1044;

} // namespace polyvane
