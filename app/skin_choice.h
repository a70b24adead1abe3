#pragma once
// Starting the program with another skin: "--skin NAME" (or "--skin=NAME")
// on the command line, else the environment variable FLUXMIRA_SKIN. NAME is
// the name of a skin in the program's skin folders (a packed file NAME.skz
// or a folder NAME with its Options.dat): "Skins" next to the program, then
// "../share/fluxmira/Skins" from it, where our skins are installed; or the
// name of the internal skin, or the path of a packed skin file.

#include <QString>
#include <QStringList>

namespace app {

// The skin asked for; empty when neither the command line nor the
// environment asks for one (the window then uses its stored skin).
QString Requested_Skin(const QStringList& arguments, const QString& environment);

struct Skin_Choice {
    QString Directory;  // as the skin manager's SkinDirectory
    QString Name;       // as its SkinName
};

// Where the manager finds the skin: a path to a ".skz" file gives its folder
// and its name; a name gives the first skin folder (as a SkinDirectory
// relative to ProgramDir) that holds it, "Skins" when none does.
Skin_Choice Resolve_Skin(const QString& requested, const QString& programDir);

} // namespace app
