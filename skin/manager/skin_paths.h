#pragma once
// Where skins are looked for, and the display scale.

#include <QString>

namespace skin {

// The full skin directory for SkinDirectory, always ending in "/":
// ".." + rest is taken relative to the parent of the program's folder,
// "./" or ".\" + rest relative to the program's folder, "." is the program's
// folder, an absolute path or one with a drive colon or "\\" is used as it
// is, and any other value is appended to the program's folder. Backslashes of
// relative values become "/".
QString FullSkinDirectory(const QString& SkinDirectory, const QString& ProgramDir);

// The scale index for a display resolution in dots per inch:
// 120..143 -> 1 (125 %), 144..191 -> 2 (150 %), 192 and more -> 3 (200 %), else 0.
int SysFontScaleFromDpi(int Dpi);

enum class TkScaleMode { smOldMode, smAuto, sm100, sm125, sm150, sm200 };

// Value scaled for the scale index Scale under Mode (see TkSkinManager::ScaleInt).
int ScaleIntBy(int Value, int SysScale, int Scale, TkScaleMode Mode);

} // namespace skin
