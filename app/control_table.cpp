#include "app/control_table.h"

namespace app {
namespace {

constexpr const char* kUnicodeFont = "Arial Unicode MS";
constexpr const char* kBlackFont = "Arial Black";
constexpr auto kDk = SysColor::DarkShadow;

const WindowSpec kWindow{"Fluxmira", 203, 150, {kBlackFont, 13, false, SysColor::WindowText}, SysColor::BtnFace};

const ControlSpec kControls[] = {
    {"Panel1", ControlKind::Panel, nullptr, {9, 9, 356, 129}, nullptr, {}, kOwnBackground, -1, 0x83C3E4},
    {"Label_Number", ControlKind::Label, "Panel1", {10, 5, 330, 18},
     "Info_XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX", {kUnicodeFont, 13, false, kDk}},
    {"Label3", ControlKind::Label, "Panel1", {10, 24, 330, 70}, "000.0 uW", {kUnicodeFont, 63, false, kDk},
     kAlignRight},
    {"Label_Status", ControlKind::Label, "Panel1", {10, 107, 319, 14},
     "Label_Status_XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX", {kUnicodeFont, 10, false, kDk}},
    {"Btn_Zero", ControlKind::SpeedButton, nullptr, {372, 9, 40, 40}, "", {kBlackFont, 13}, 0, -1, kNoColor,
     Glyph::Zero},
    {"Btn_Cal", ControlKind::SpeedButton, nullptr, {372, 52, 40, 40}, "", {kBlackFont, 13}, 0, -1, kNoColor,
     Glyph::Cal},
    {"Btn_W_dBm", ControlKind::SpeedButton, nullptr, {372, 95, 40, 40}, "W", {kUnicodeFont, 15, true, kDk},
     kHidden},
    {"kSpeedButton_Vkl", ControlKind::SpeedButton, nullptr, {8, 145, 48, 25}, "On",
     {kUnicodeFont, 13, true, SysColor::WindowText}},
    {"CheckBox1", ControlKind::CheckBox, nullptr, {62, 148, 46, 17}, "Auto", {kUnicodeFont, 12, false, kDk},
     kChecked, 2, kNoColor, Glyph::None, kDk},
    {"cmDeviceBox1", ControlKind::DeviceBox, nullptr, {113, 143, 78, 26}, nullptr, {kUnicodeFont, 13, false},
     kFlat, 0},
    {"Lbl_Freq", ControlKind::SkinnedLabel, nullptr, {200, 147, 64, 16}, "Freq, GHz", {kUnicodeFont, 12, true, kDk}},
    {"kEdit_Freq", ControlKind::Edit, nullptr, {294, 143, 71, 23}, "0.02",
     {kUnicodeFont, 13, false, SysColor::Black}, kAlignCenter | kReadOnly, 3},
    {"kLabel1", ControlKind::SkinnedLabel, nullptr, {377, 148, 29, 16}, "V1.0", {kUnicodeFont, 12, true, kDk}},
};

const DpiRow kDpiRows[] = {
    {nullptr, {0, 0, 425, 205}},
    {"Panel1", {10, 10, 356, 129}},
    {"Label_Number", {10, 5, 330, 18}},
    {"Label3", {10, 24, 330, 70}},
    {"Label_Status", {10, 107, 319, 14}},
    {"kSpeedButton_Vkl", {10, 145, 48, 25}},
    {"Btn_Zero", {372, 10, 40, 40}},
    {"Btn_Cal", {372, 53, 40, 40}},
    {"Btn_W_dBm", {372, 96, 40, 40}},
    {"Lbl_Freq", {215, 147, 86, 16}},
    {"kEdit_Freq", {294, 143, 71, 23}},
};

} // namespace

const WindowSpec& Window_Spec()
{
    return kWindow;
}

std::span<const ControlSpec> Control_Table()
{
    return kControls;
}

std::span<const DpiRow> Dpi_Table()
{
    return kDpiRows;
}

} // namespace app
