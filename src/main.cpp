// Process start only: the application object, the real desktop, the windows, the event loop.
#include "app/application.h"
#include "platform/qtinteraction.h"

int main(int argc, char **argv)
{
    tarvo::TarvoApplication app(argc, argv);
    tarvo::QtInteraction desktop;
    tarvo::setInteraction(&desktop);
    tarvo::ApplicationWindows windows;
    if (!windows.showMainWindow())
        return 0;
    return app.exec();
}
