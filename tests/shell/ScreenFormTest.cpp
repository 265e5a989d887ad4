#include "core/GameCore.h"
#include "core/GameTick.h"
#include "game/Registries.h"
#include "midi/MidiData.h"
#include "platform/DataDirectoryOverride.h"
#include "shell/Datas.h"
#include "shell/ScreenForm.h"
#include "sprites/DXClass.h"
#include "sprites/DXDraws.h"

#include <QApplication>
#include <QMessageBox>
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <utility>

namespace {

// Both forms and the core over a data folder of the test's choosing (empty unless files are
// copied in).
struct Forms {
    QTemporaryDir data;
    TOverride dataDirectory;
    std::unique_ptr<TScreenForm> screen;
    std::unique_ptr<TGameCore> core;
    std::unique_ptr<TDatas> datas;

    explicit Forms(const QStringList& copiedFromBuild = {})
    {
        for (const QString& name : copiedFromBuild)
            QFile::copy(QString(GRIP_BIN_DIR) + name, data.filePath(name));
        dataDirectory = OverrideDataDirectory(data.path().toStdString());
        screen = std::make_unique<TScreenForm>();
        core = std::make_unique<TGameCore>(screen->DXDraw, screen->Settings());
        datas = std::make_unique<TDatas>(*core);
    }
    ~Forms()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QMessageBox*>(w))
                delete w;
    }
};

} // namespace

TEST(ScreenForm, ControlsSitAtTheirDesignedPlaces)
{
    Forms f;
    TScreenForm& s = *f.screen;
    EXPECT_TRUE(s.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(s.size(), QSize(573, 465));
    EXPECT_EQ(s.DXDraw->geometry(), QRect(0, 0, 457, 385));
    EXPECT_EQ(s.btnStart->geometry(), QRect(480, 24, 75, 25));
    EXPECT_EQ(s.btnStart->text(), "Start");
    EXPECT_EQ(s.btnStop->text(), "Pause");
    EXPECT_EQ(s.Button2->geometry(), QRect(480, 96, 75, 25));
    EXPECT_EQ(s.Button3->geometry(), QRect(464, 392, 57, 25));
    EXPECT_EQ(s.Button4->text(), "End");
    EXPECT_EQ(s.GroupBox1->geometry(), QRect(0, 384, 457, 65));
    EXPECT_EQ(s.Button5->parentWidget(), s.GroupBox1);
    EXPECT_EQ(s.Button5->geometry(), QRect(368, 8, 75, 25));
    EXPECT_EQ(s.CheckBox3->geometry(), QRect(176, 40, 97, 17));
    EXPECT_EQ(s.TrackBar1->minimum(), 30);
    EXPECT_EQ(s.TrackBar1->maximum(), 100);
    EXPECT_EQ(s.TrackBar1->value(), 100);
    EXPECT_FALSE(s.CheckBox1->isChecked());
    EXPECT_FALSE(s.DXDraw1->isVisibleTo(&s));
    EXPECT_EQ(s.Edit1->text(), "Edit1");
    EXPECT_EQ(s.Hint(), "123");
    EXPECT_EQ(s.DXTimer->Interval(), 100);
    EXPECT_TRUE(s.DXTimer->ActiveOnly());

    TDatas& d = *f.datas;
    EXPECT_EQ(d.windowTitle(), "Datas");
    EXPECT_EQ(d.geometry(), QRect(208, 47, 445, 539));
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.edtDevOnePN->text(), "Kneadle Bal");
    EXPECT_EQ(d.edtMidiName->text(), "invincible.mid");
    EXPECT_EQ(d.Memo1->geometry(), QRect(288, 80, 137, 241));
    EXPECT_EQ(d.tbTempo->value(), 10);
    EXPECT_EQ(f.core->Timer1->interval(), 1);
    EXPECT_TRUE(f.core->Timer1->isActive());
    EXPECT_EQ(d.ImgSkin.size(), QSize(462, 363));
}

TEST(ScreenForm, MouseMoveSetsTheHintAndRightButtonDoesNothing)
{
    Forms f;
    f.screen->DXDrawMouseMove({}, 120, 45);
    EXPECT_EQ(f.screen->Hint(), "120:45");
    int drags = 0;
    f.screen->StartWindowDrag = [&] { ++drags; };
    f.screen->DXDrawMouseDown(Qt::RightButton, {}, 395, 10);
    f.screen->DXDrawMouseDown(Qt::RightButton, {}, 200, 200);
    EXPECT_EQ(drags, 0);
    EXPECT_FALSE(f.screen->isMinimized());
    f.screen->DXDrawMouseDown(Qt::LeftButton, {}, 390, 10);
    f.screen->DXDrawMouseDown(Qt::LeftButton, {}, 395, 16);
    f.screen->DXDrawMouseDown(Qt::LeftButton, {}, 409, 25);
    EXPECT_EQ(drags, 3);
}

TEST(ScreenForm, RegionAppliesOnceAndMinimisingDropsIt)
{
    Forms f;
    f.screen->show();
    f.screen->Button3->click();
    EXPECT_TRUE(f.screen->RegionApplied());
    EXPECT_EQ(f.screen->size(), QSize(462, 363));
    const QRegion first = f.screen->mask();
    EXPECT_EQ(first.rectCount(), 360);
    EXPECT_EQ(first.boundingRect().topLeft(), QPoint(-1, 12)) << "outline not moved by (-1, +12)";
    f.screen->Button3->click();
    EXPECT_EQ(f.screen->mask(), first);

    f.screen->DXDrawMouseDown(Qt::LeftButton, {}, 395, 10);
    EXPECT_FALSE(f.screen->RegionApplied());
    EXPECT_TRUE(f.screen->mask().isEmpty());
    EXPECT_EQ(f.screen->size(), QSize(462, 363));
}

TEST(ScreenForm, ClosingTheMainWindowEndsTheProgramAlsoWhileTheDebugFormIsOpen)
{
    Forms f;
    f.screen->show();
    f.screen->Button5->click();
    ASSERT_TRUE(f.datas->isVisible());
    // As the window manager closes it: a close event, with the program's event loop running.
    QTimer::singleShot(0, f.screen.get(), [&] { f.screen->close(); });
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    QObject::connect(&stillRunning, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    stillRunning.start(3000);
    EXPECT_EQ(QCoreApplication::exec(), 0) << "closing the main window left the program running";
}

TEST(ScreenForm, MinimisingTakesAnOpenDebugFormAlongAndDebugBringsItBack)
{
    Forms f;
    f.screen->show();
    // A hidden debug form stays hidden.
    f.screen->DXDrawMouseDown(Qt::LeftButton, {}, 395, 10);
    EXPECT_TRUE(f.screen->isMinimized());
    EXPECT_FALSE(f.datas->isVisible());

    f.screen->showNormal();
    f.screen->Button5->click();
    ASSERT_TRUE(f.datas->isVisible());
    f.screen->DXDrawMouseDown(Qt::LeftButton, {}, 395, 10);
    EXPECT_TRUE(f.screen->isMinimized());
    EXPECT_TRUE(f.datas->isMinimized());

    // Debug brings the open form back to the front.
    f.screen->showNormal();
    f.screen->Button5->click();
    EXPECT_TRUE(f.datas->isVisible());
    EXPECT_FALSE(f.datas->isMinimized());
    // Activation is the window system's: it arrives as an event.
    f.screen->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), f.screen.get());
    f.screen->Button5->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), f.datas.get());
}

TEST(ScreenForm, FrameShowsTheSkinCentredOnTheSurface)
{
    Forms f;
    f.screen->show();
    ASSERT_TRUE(f.screen->DXDraw->Initialized());
    f.screen->DXTimerTimer(1);
    EXPECT_EQ(f.screen->DXDraw->PresentedOrigin(), QPoint(-2, 11));
    const QImage& shown = f.screen->DXDraw->PresentedImage();
    ASSERT_EQ(shown.size(), QSize(462, 363));
    EXPECT_EQ(shown.pixel(230, 180), f.datas->ImgSkin.pixel(230, 180));
}

TEST(ScreenForm, RepeatedFaultsShowOneBoxUntilItCloses)
{
    Forms f;
    auto fault = [](const char* text) { return std::make_exception_ptr(std::runtime_error(text)); };
    const QStringList before = f.screen->ShownMessages();
    f.screen->ApplicationEvents1Exception(fault("tick failed"));
    f.screen->ApplicationEvents1Exception(fault("tick failed"));
    f.screen->ApplicationEvents1Exception(fault("other"));
    EXPECT_EQ(f.screen->ShownMessages(), before + QStringList({"tick failed", "other"}));
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->text() == "tick failed")
            box->done(0);
    f.screen->ApplicationEvents1Exception(fault("tick failed"));
    EXPECT_EQ(f.screen->ShownMessages().size(), before.size() + 3);
}

TEST(StartUp, AMissingSongIsShownAndEndsStartUpBeforeTheImages)
{
    Forms f;
    ASSERT_FALSE(f.screen->ShownMessages().isEmpty());
    const QString shown = f.screen->ShownMessages().first();
    EXPECT_TRUE(shown.startsWith("Cannot open file ")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(f.data.filePath("invincible.mid"))) << shown.toStdString();
    EXPECT_FALSE(f.core->StartUpComplete());
    EXPECT_EQ(SpriteLayers[0], nullptr);
    // The program stays up: frames and ticks run on what exists.
    f.screen->show();
    f.screen->DXTimerTimer(1);
    f.core->Tick->Timer1Timer();
    EXPECT_EQ(f.screen->DXDraw->PresentedImage().size(), QSize(462, 363));
}

TEST(StartUp, EachMissingPictureFileHasItsOwnMessageAndNoRegistryIsFilled)
{
    const QStringList song{"invincible.mid", "Fine.txt", "good.wav"};
    const std::pair<QString, QString> pictures[] = {
        {"Animation.dxg", "無法載入Animation檔"}, {"balls.dxg", "無法載入Balls檔"},
        {"Context.dxg", "無法載入Context檔"},     {"Effect.dxg", "無法載入Effect檔"},
        {"FixedBmp.dxg", "無法載入Fixed檔"},      {"Gesture.dxg", "無法載入Gesture檔"},
    };
    QStringList allPictures;
    for (const auto& [file, message] : pictures)
        allPictures << file;
    for (const auto& [missing, message] : pictures) {
        QStringList files = song + allPictures;
        files.removeOne(missing);
        Forms f(files);
        ASSERT_FALSE(f.screen->ShownMessages().isEmpty()) << missing.toStdString();
        EXPECT_EQ(f.screen->ShownMessages().first(), message) << missing.toStdString();
        EXPECT_FALSE(f.core->StartUpComplete());
        EXPECT_EQ(SpriteLayers[1], nullptr);
        EXPECT_EQ(ImageStores[0], nullptr);
        EXPECT_TRUE(f.core->MidiData->Active()) << "the song opened before the pictures";
    }

    // A file that exists but is not a picture collection fails the same way.
    Forms corrupt(song + allPictures);
    QFile gesture(corrupt.data.filePath("Gesture.dxg"));
    ASSERT_TRUE(gesture.open(QIODevice::WriteOnly));
    gesture.write("not a picture collection");
    gesture.close();
    try {
        corrupt.core->LoadImages();
        ADD_FAILURE() << "a spoilt file loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), QString::fromUtf8("無法載入Gesture檔"));
    }
}

TEST(ScreenForm, HandlersNeverLetExceptionsOut)
{
    Forms f;
    f.screen->DXTimer->OnTimer = [](int) { throw std::runtime_error("frame broke"); };
    f.screen->DXDraw->OnMouseMove = [](Qt::KeyboardModifiers, int, int) { throw std::runtime_error("move broke"); };
    f.screen->show();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(f.screen->DXDraw, &move);
    EXPECT_TRUE(f.screen->ShownMessages().contains("move broke"));
    // The frame, called by the frame timer from the event loop once it falls due.
    f.screen->DXTimer->SetActiveOnly(false);
    QDeadlineTimer deadline(5000);
    while (!f.screen->ShownMessages().contains("frame broke") && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(f.screen->ShownMessages().contains("frame broke"));
}
