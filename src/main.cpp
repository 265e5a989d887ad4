#include "core/GameCore.h"
#include "platform/DataPath.h"
#include "platform/Guard.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"

#include <QApplication>

#include <cstdio>
#include <optional>

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
    // --player NAME chooses player one by name (adding the name when it is new); the first
    // other argument is the song.
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    std::optional<QString> player;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--player" || arguments[i].startsWith("--player=")) {
            const bool joined = arguments[i].startsWith("--player=");
            if (!joined && i + 1 >= arguments.size()) {
                std::fprintf(stderr, "griprhythm: --player wants the player's name\n");
                return 2;
            }
            player = joined ? arguments[i].mid(9) : arguments[i + 1];
            arguments.remove(i, joined ? 1 : 2);
            --i;
        }
    }
    // The main window first: the core's stores and layers draw on its surface. The debug form
    // shows the core.
    auto* screen = new TScreenForm;
    auto* core = new TGameCore(screen->DXDraw, screen->Settings());
    auto* datas = new TDatas(*core);
    screen->show();
    screen->activateWindow();
    if (player)
        Guarded([&] { core->ChoosePlayerNamed(0, *player); });
    // A song named on the command line (as the file manager does) takes the place of the one
    // the game starts with.
    if (!arguments.isEmpty())
        screen->OpenSong(arguments.at(0));
    const int status = app.exec();
    delete datas;
    delete core;
    delete screen;
    return status;
}
