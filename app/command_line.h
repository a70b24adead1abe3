#pragma once
// The main program's command line: --help, --version and --skin. Qt's own options
// (-platform, -style, ...) are taken by the application object first.

#include <QStringList>

#include <string>

namespace app {

struct Program_Options {
    bool help = false;
    bool version = false;
    std::string error;  // not empty: the command line is wrong
    std::string text;   // what --help or --version prints
};

// Only --help or --version among the arguments: they are answered before
// any window (or display) is needed.
bool Asks_For_Help_Or_Version(const QStringList& arguments);

// arguments[0] is the program name.
Program_Options Parse_Program_Options(const QStringList& arguments);

} // namespace app
