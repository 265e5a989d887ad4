#include "platform/DataPath.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Data files sit beside the program, whatever the working directory is.
    SetDataDirectory(ProgramDirectory());
    QApplication app(argc, argv);
    app.setApplicationName("Grip Rhythm");
    auto* screen = new TScreenForm;
    auto* datas = new TDatas;
    screen->show();
    screen->activateWindow();
    const int status = app.exec();
    delete datas;
    delete screen;
    return status;
}
