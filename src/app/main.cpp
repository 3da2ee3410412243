#include "about/tfabout.h"
#include "app/tfmain.h"
#include "platform/desktop_services.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);

    QtDialogs dialogs;
    XdgDataDirectory dataDirectory(
        QFileInfo(QApplication::applicationFilePath()).completeBaseName());
    LinuxSystemInfo systemInfo;
    DesktopShell shell;

    // The first window created is the main window: closing it ends the program.
    TFmain Fmain(Platform{&dialogs, &dataDirectory, &systemInfo, &shell});
    TFAbout FAbout;
    Fmain.showMaximized();
    return QApplication::exec();
}
