#include "skin/model/types.h"

namespace skin {
namespace {

constexpr const char* kSectionNames[kSectionCount] = {
    "MENUITEM", "CHECKBOX", "SPEEDBUTTON", "SPEEDBUTTON_SMALL", "TOOLBUTTON", "TRANSPARENT", "GROUPBOX",
    "DIVIDER", "WEBBUTTON", "BUTTON", "COMBONOEDIT", "BUTTON_HUGE", "TOOLBAR", "EDIT", "GAUGE", "SELECTION",
    "STATUSBAR", "PANEL", "PANEL_LOW", "TRACKBAR", "PROGRESSV", "DRAGBAR", "GRIPH", "GRIPV", "PROGRESSH",
    "TABSHEET", "UPDOWNBTN", "COMBOBOX", "CAPTION", "MAINMENU", "SPLITTER", "COMBOBTN", "FORMTITLE", "HINT",
    "DIVIDERV", "PAGECONTROL", "TABTOP", "BARPANEL", "BARTITLE", "MENUCAPTION", "DIALOGTITLE", "MENUBTN",
    "MENULINE", "FORMHEADER", "TB_BTN", "TB_MENUBTN", "TB_TAB", "COLHEADER", "COLHEADERA", "COLHEADERL",
    "COLHEADERR", "SLIDER_OFF", "SLIDER_ON",
};

} // namespace

const char* SectionName(TkxSection Section)
{
    return Section >= 0 && Section < kSectionCount ? kSectionNames[Section] : "";
}

void TkConstantSkinData::Reset()
{
    Sections.fill(-1);
    IndexGLobalInfo = -1;
    CheckBox.fill(-1);
    SmallCheckBox.fill(-1);
    RadioButton.fill(-1);
    ExBorder = GripRightBottom = GripHorizontal = GripVertical = -1;
    TitleGlyphs.fill(-1);
    MenuItem = ComboBtn = TkConstElement{};
    for (auto& side : Tabs)
        side.fill(TkConstElement{});
    ScrollBars.fill(TkConstElement{});
    ScrollBtns.fill(TkConstElement{});
    UpDownBtns.fill(TkConstElement{});
    ScrollSliders.fill(TkConstElement{});
}

} // namespace skin
