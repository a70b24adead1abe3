// Program entry: the application object, the one main window, the message loop.
#include "app/form1.h"
#include "app/skin_choice.h"
#include "desktop/app_identity.h"
#include "runtime/application.h"

int main(int argc, char** argv)
{
    runtime::Application application(argc, argv);
    desktop::ApplyIdentity();
    const QString skin = app::Requested_Skin(QCoreApplication::arguments(), qEnvironmentVariable("FLUXMIRA_SKIN"));
    app::TForm1 form(nullptr, true, skin);
    form.show();
    return application.exec();
}
