#pragma once
// How the desktop knows the program: its application id (the name of its
// desktop entry, its icon and its AppStream metainfo) and its icon, which is
// built into the program so windows and message boxes carry it even when the
// program runs from the build tree.

#include <QIcon>

namespace desktop {

// "io.github.fluxmira.Fluxmira"; the build defines it once for every file.
const char* AppId();

// The icon at every size rendered at build time.
QIcon AppIcon();

// Gives the running application its id and icon; every window and message
// box shown afterwards carries the icon.
void ApplyIdentity();

} // namespace desktop
