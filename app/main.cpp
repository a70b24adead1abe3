// Program entry: the application object, the one main window, the message loop.
#include "app/form1.h"
#include "desktop/app_identity.h"
#include "runtime/application.h"

int main(int argc, char** argv)
{
    runtime::Application application(argc, argv);
    desktop::ApplyIdentity();
    app::TForm1 form;
    form.show();
    return application.exec();
}
