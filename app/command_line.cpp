#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace app {
namespace {

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "Shows the readings of a KVAM power sensor on a serial port. Click \"On\" to find the sensor.\n"
        "Qt's own options (such as -platform offscreen) are accepted too.");
    parser.addHelpOption();
    parser.addVersionOption();
    // Read by Requested_Skin (skin_choice.h); known here so that it is no error.
    parser.addOption({"skin", "Start with this skin instead of the window's own one.", "name"});
}

} // namespace

bool Asks_For_Help_Or_Version(const QStringList& arguments)
{
    for (const QString& a : arguments.mid(1))
        if (a == "-h" || a == "--help" || a == "--help-all" || a == "-?" || a == "-v" || a == "--version")
            return true;
    return false;
}

Program_Options Parse_Program_Options(const QStringList& arguments)
{
    QCommandLineParser parser;
    describe(parser);
    Program_Options o;
    const bool parsed = parser.parse(arguments);
    o.help = parser.isSet("help") || parser.isSet("help-all");
    o.version = parser.isSet("version");
    if (o.help)
        // Without an application object the parser does not know the program's name.
        o.text = parser.helpText()
                     .replace("<executable_name>", QCoreApplication::applicationName())
                     .toStdString();
    else if (o.version)
        o.text = (QCoreApplication::applicationName() + " " + QCoreApplication::applicationVersion() + "\n")
                     .toStdString();
    else if (!parsed)
        o.error = parser.errorText().toStdString();
    else if (!parser.positionalArguments().isEmpty())
        o.error = "unexpected argument '" + parser.positionalArguments().front().toStdString() + "'";
    return o;
}

} // namespace app
