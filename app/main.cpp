// Program entry: the application object, the one main window, the message loop.
#include "app/command_line.h"
#include "app/form1.h"
#include "app/skin_choice.h"
#include "desktop/app_identity.h"
#include "runtime/application.h"

#include <iostream>

namespace {

// Answers --help, --version and a wrong command line; -1 when the program runs.
int answerCommandLine(const QStringList& arguments)
{
    const app::Program_Options options = app::Parse_Program_Options(arguments);
    if (!options.text.empty()) {
        std::cout << options.text;
        return 0;
    }
    if (!options.error.empty()) {
        std::cerr << "fluxmira: " << options.error << "\nTry 'fluxmira --help'.\n";
        return 1;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName("fluxmira");
    QCoreApplication::setApplicationVersion(FLUXMIRA_VERSION);
    // Help and version need no display, so no application object yet.
    const QStringList raw = [&] {
        QStringList list;
        for (int i = 0; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (app::Asks_For_Help_Or_Version(raw))
        return answerCommandLine(raw);
    runtime::Application application(argc, argv);
    if (const int code = answerCommandLine(QCoreApplication::arguments()); code >= 0)
        return code;
    desktop::ApplyIdentity();
    const QString skin = app::Requested_Skin(QCoreApplication::arguments(), qEnvironmentVariable("FLUXMIRA_SKIN"));
    app::TForm1 form(nullptr, true, skin);
    form.show();
    return application.exec();
}
