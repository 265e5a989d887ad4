#include "core/GameCore.h"
#include "platform/DataPath.h"
#include "platform/Guard.h"
#include "shell/CommandLine.h"
#include "shell/Datas.h"
#include "shell/ScaleChoice.h"
#include "shell/ScreenForm.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    // Data files sit beside the program, whatever the working directory is.
    SetDataDirectory(ProgramDirectory());
    // The window's shape and its designed places need X11: on a Wayland desktop the game runs
    // on XWayland when there is one, unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    app.setApplicationName("Grip Rhythm");
    const TCommandLine line = ParseCommandLine(app.arguments());
    if (!line.Error.isEmpty()) {
        std::fprintf(stderr, "griprhythm: %s\n", qPrintable(line.Error));
        return 2;
    }
    // The main window first: the core's stores and layers draw on its surface. The debug form
    // shows the core.
    auto* screen = new TScreenForm;
    auto* core = new TGameCore(screen->DXDraw, screen->Settings());
    screen->FollowCore(*core);
    auto* datas = new TDatas(*core);
    // Before the window shows, so that it opens at its size.
    const int scale = StartingScale(line.Scale);
    if (const int shown = screen->SetScale(scale); shown < scale)
        std::fprintf(stderr, "Grip Rhythm: at %d× the window would not fit the screen; it opens at %d×\n", scale, shown);
    screen->show();
    screen->activateWindow();
    if (line.Player)
        Guarded([&] { core->ChoosePlayerNamed(0, *line.Player); });
    // A song named on the command line (as the file manager does) takes the place of the one
    // the game starts with.
    if (!line.Song.isEmpty())
        screen->OpenSong(line.Song);
    const int status = app.exec();
    delete datas;
    delete core;
    delete screen;
    return status;
}
