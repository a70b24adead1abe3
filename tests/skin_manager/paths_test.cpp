// Where skins are looked for and the display scale, as tables.
#include "skin/manager/skin_paths.h"

#include <gtest/gtest.h>

using namespace skin;

TEST(SkinPaths, FullSkinDirectoryFollowsTheProgramsFolder)
{
    struct Case {
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"..\\Skins", "/opt/flux/Skins/"},
        {"../Skins/", "/opt/flux/Skins/"},
        {".\\Skins", "/opt/flux/bin/Skins/"},
        {"./Skins", "/opt/flux/bin/Skins/"},
        {".", "/opt/flux/bin/"},
        {"Skins", "/opt/flux/bin/Skins/"},
        {"Skins\\Dark", "/opt/flux/bin/Skins/Dark/"},
        {"c:\\Skins", "c:\\Skins/"},
        {"\\\\server\\skins", "\\\\server\\skins/"},
        {"/usr/share/skins", "/usr/share/skins/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FullSkinDirectory(c.value, "/opt/flux/bin"), c.expected) << c.value;
}

TEST(SkinPaths, DisplayScaleFromDpi)
{
    const std::pair<int, int> cases[] = {{0, 0},   {96, 0},  {119, 0}, {120, 1}, {143, 1},
                                         {144, 2}, {191, 2}, {192, 3}, {288, 3}};
    for (auto [dpi, scale] : cases)
        EXPECT_EQ(SysFontScaleFromDpi(dpi), scale) << dpi;
}

TEST(SkinPaths, ScaleInt)
{
    struct Case {
        int value, sysScale, scale;
        TkScaleMode mode;
        int expected;
    };
    const Case cases[] = {
        {10, 0, 3, TkScaleMode::smOldMode, 10}, {10, 0, 1, TkScaleMode::sm125, 12},
        {10, 0, 2, TkScaleMode::sm150, 15},     {10, 0, 3, TkScaleMode::sm200, 20},
        {10, 0, 0, TkScaleMode::sm100, 10},     {10, 1, 3, TkScaleMode::sm200, 12},
        {10, 2, 3, TkScaleMode::sm200, 15},     {10, 3, 3, TkScaleMode::sm200, 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScaleIntBy(c.value, c.sysScale, c.scale, c.mode), c.expected) << c.value << " " << c.sysScale;
}
