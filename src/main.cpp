// Process start only: the application object, the real desktop, the windows, the event loop.
#include "platform/qtinteraction.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    tarvo::QtInteraction desktop;
    tarvo::setInteraction(&desktop);
    return 0;
}
