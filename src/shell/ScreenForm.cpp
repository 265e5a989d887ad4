#include "shell/ScreenForm.h"

#include "core/GameCore.h"
#include "core/SongList.h"
#include "game/GripGame.h"
#include "game/Registries.h"
#include "midi/MidiPlayer.h"
#include "platform/Guard.h"
#include "platform/Preferences.h"
#include "platform/RegionScale.h"
#include "shell/BallNotices.h"
#include "shell/Datas.h"
#include "shell/FormFont.h"
#include "shell/Globals.h"
#include "shell/GripTestMenu.h"
#include "shell/KeyboardGrip.h"
#include "shell/PlayerMenu.h"
#include "shell/Region.h"
#include "shell/ScaleChoice.h"
#include "shell/ScaleControls.h"
#include "shell/SongChooser.h"
#include "shell/SurfaceMenu.h"
#include "shell/SessionMenu.h"
#include "shell/TapSession.h"
#include "shell/TrainingMenu.h"
#include "shell/TrainingNotices.h"
#include "shell/WindowScale.h"
#include "sprites/DXClass.h"
#include "sprites/DXDraws.h"
#include "sprites/DisplayPacer.h"
#include "training/Training.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QUrl>
#include <QToolTip>
#include <QWindow>

#include <algorithm>
#include <cstdio>

TScreenForm* ScreenForm = nullptr;

namespace {

// The window and the game picture as designed, at scale 1.
constexpr QSize DesignedSize(573, 465);
constexpr QSize DesignedPicture(457, 385);

QPushButton* Button(QWidget* parent, const char* caption, int x, int y, int w, int h)
{
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(x, y, w, h);
    return b;
}

QCheckBox* CheckBox(QWidget* parent, const char* caption, int x, int y, int w, int h)
{
    auto* c = new QCheckBox(caption, parent);
    c->setGeometry(x, y, w, h);
    return c;
}

} // namespace

TScreenForm::TScreenForm(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    ScreenForm = this;
    setObjectName("ScreenForm");
    setWindowTitle("Grip Rhythm");
    setFont(FormFont());
    setGeometry(154, 57, 573, 465);
    setToolTip(hint_);

    DXDraw = new TDXDraw(this);
    DXDraw->setObjectName("DXDraw");
    DXDraw->setGeometry(0, 0, 457, 385);
    DXDraw->SetSurfaceWidth(457);
    DXDraw->SetSurfaceHeight(385);
    btnStart = Button(this, "Start", 480, 24, 75, 25);
    GroupBox1 = new QGroupBox("Options", this);
    GroupBox1->setGeometry(0, 384, 457, 65);
    Label1 = new QLabel("Melody Speed", GroupBox1);
    Label1->move(8, 16);
    Label1->adjustSize();
    TrackBar1 = new QSlider(Qt::Horizontal, GroupBox1);
    TrackBar1->setGeometry(88, 8, 201, 17 + 8);
    TrackBar1->setRange(30, 100);
    TrackBar1->setValue(100);
    TrackBar1->setTickInterval(5);
    TrackBar1->setPageStep(1);
    TrackBar1->setSingleStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    Button5 = Button(GroupBox1, "Debug", 368, 8, 75, 25);
    CheckBox1 = CheckBox(GroupBox1, "Easy Mode", 296, 8, 73, 17);
    CheckBox2 = CheckBox(GroupBox1, "Only Blue", 296, 32, 97, 17);
    CheckBox3 = CheckBox(GroupBox1, "Small shift", 176, 40, 97, 17);
    btnStop = Button(this, "Pause", 480, 64, 75, 25);
    DXDraw1 = new TDXDraw(this);
    DXDraw1->setObjectName("DXDraw1");
    DXDraw1->setGeometry(480, 192, 137, 177);
    DXDraw1->SetSurfaceWidth(137);
    DXDraw1->SetSurfaceHeight(177);
    DXDraw1->setVisible(false);
    Button2 = Button(this, "Resume", 480, 96, 75, 25);
    Button3 = Button(this, "Region", 464, 392, 57, 25);
    Button4 = Button(this, "End", 528, 392, 49, 25);
    Edit1 = new QLineEdit("Edit1", this);
    Edit1->setGeometry(472, 360, 89, 21);

    btnStart->setObjectName("btnStart");
    btnStop->setObjectName("btnStop");
    Button2->setObjectName("Button2");
    Button3->setObjectName("Button3");
    Button4->setObjectName("Button4");
    Button5->setObjectName("Button5");
    TrackBar1->setObjectName("TrackBar1");
    CheckBox1->setObjectName("CheckBox1");
    CheckBox2->setObjectName("CheckBox2");
    CheckBox3->setObjectName("CheckBox3");
    Edit1->setObjectName("Edit1");
    GroupBox1->setObjectName("GroupBox1");

    DXTimer = new TDXTimer(this);
    DXTimer->SetInterval(100);
    DXTimer->SetActiveOnly(true);

    // Every handler runs inside the guard: nothing thrown may reach Qt's event loop.
    SetApplicationExceptionHandler([this](std::exception_ptr e) { ApplicationEvents1Exception(e); });
    auto bind = [this](QPushButton* b, void (TScreenForm::*handler)()) {
        connect(b, &QPushButton::clicked, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    bind(btnStart, &TScreenForm::btnStartClick);
    bind(btnStop, &TScreenForm::btnStopClick);
    bind(Button2, &TScreenForm::Button2Click);
    bind(Button3, &TScreenForm::Button3Click);
    bind(Button4, &TScreenForm::Button4Click);
    bind(Button5, &TScreenForm::Button5Click);
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { Guarded([this] { TrackBar1Change(); }); });
    connect(CheckBox1, &QCheckBox::clicked, this, [this] { Guarded([this] { CheckBox1Click(); }); });
    // "Only Blue" and "Small shift" have no handlers of their own, but the game keeps its own
    // copy of the options: every change is handed on as it happens.
    for (QCheckBox* option : {CheckBox2, CheckBox3})
        connect(option, &QCheckBox::toggled, this, [this] { Guarded([this] { OptionsChanged(); }); });
    DXDraw->OnMouseDown = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        DXDrawMouseDown(b, s, x, y);
    };
    DXDraw->OnMouseMove = [this](Qt::KeyboardModifiers s, int x, int y) { DXDrawMouseMove(s, x, y); };
    DXTimer->OnTimer = [this](int lag) { DXTimerTimer(lag); };
    displayPacer_ = new TDisplayPacer(this);
    displayPacer_->OnFrame = [this] {
        PaceDisplayFrames();
        // A judging frame that has just drawn stands for this one.
        if (displayPacer_->Running() && !displayPacer_->JustDrawn())
            ComposeFrame(false);
    };
    StartWindowDrag = [this] {
        if (QWindow* w = windowHandle())
            w->startSystemMove();
    };
    DXTimer->Loaded();
    // While player one has no ball, J, K and L grip for it.
    auto* keys = new TKeyboardGrip(*this);
    SongChooser = new TSongChooser(*DXDraw);
    keys->Standby = [this] { return SongChooser->isVisible(); };
    SongChooser->OnChoose = [this](const QString& path) { OpenSong(path); };
    SongChooser->OnClose = [this] { setFocus(Qt::OtherFocusReason); };
    SongChooser->OnMark = [](const QString& path, bool on) {
        if (GameCore)
            GameCore->SetSongMarked(path, on);
    };
    auto* songList = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(songList, &QShortcut::activated, this, [this] { Guarded([this] { OpenSongList(); }); });

    Menu = new TSurfaceMenu(*DXDraw);
    Menu->Add("Open song…", [this](QPoint) { OpenSongDialog(); });
    Menu->Add("Songs…", [this](QPoint) { OpenSongList(); });
    AddTrainingEntries(*Menu);
    AddGripTestEntry(*Menu, *this);
    AddSessionEntry(*Menu);
    AddPlayerEntries(*Menu, *this);
    Menu->AddOption(
        "Precise timing", [] { return GameCore && GameCore->PreciseTiming(); },
        [](bool on) {
            if (GameCore)
                GameCore->SetPreciseTiming(on);
        });
    // How much a map made for a song asks; it counts from the next song chosen.
    Menu->AddChoice(
        "Level", {"easy", "normal", "hard"},
        [] { return QSettings(PreferencesPath(), QSettings::IniFormat).value("play/level", "normal").toString(); },
        [](const QString& level) { QSettings(PreferencesPath(), QSettings::IniFormat).setValue("play/level", level); });
    AddScaleControls(*this);
    // Tapping measures the sound alone: a song playing would sound over the click.
    auto* tapping = new TTapSession(*this, Notices);
    Menu->Add(
        "Tap to the beat…", [tapping](QPoint) { tapping->Start(); },
        [tapping](QPoint) { return !tapping->Running() && !(GameCore && GameCore->MidiPlayer && GameCore->MidiPlayer->Play()); });
    ChooseSongFile = [this] {
        QString folder = QFileInfo(QString::fromStdString(GameCore ? GameCore->ChosenSongPath() : std::string())).path();
        if (folder.isEmpty() || folder == ".")
            folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        return QFileDialog::getOpenFileName(this, "Open song", folder,
                                            "MIDI songs (*.mid *.midi *.kar *.rmi *.MID);;All files (*)");
    };
    setAcceptDrops(true);
    AvailableGeometry = [this] {
        const QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
        return on ? on->availableGeometry() : QRect();
    };
    windowScale_ = new TWindowScale(*this);
}

TScreenForm::~TScreenForm()
{
    SetApplicationExceptionHandler(nullptr);
    if (ScreenForm == this)
        ScreenForm = nullptr;
}

// Without a game (start-up ended early) the buttons do nothing.
void TScreenForm::btnStartClick()
{
    if (GameCore && GameCore->StartNextSessionSong())
        return;
    if (TGripGame* game = GripGame())
        game->Start();
}

void TScreenForm::btnStopClick()
{
    if (TGripGame* game = GripGame())
        game->Pause();
}

void TScreenForm::Button2Click()
{
    if (TGripGame* game = GripGame())
        game->Resume();
}

void TScreenForm::Button3Click()
{
    if (!regionApplied_)
        ApplyRegion();
}

void TScreenForm::Button4Click() { QApplication::quit(); }

void TScreenForm::Button5Click()
{
    if (!Datas)
        return;
    // An open debug form may lie minimised or behind the main window: it comes to the front.
    if (Datas->isMinimized())
        Datas->showNormal();
    else
        Datas->show();
    Datas->raise();
    Datas->activateWindow();
}

void TScreenForm::TrackBar1Change() { OptionsChanged(); }

void TScreenForm::FollowCore(TGameCore& core)
{
    settingsFollowing_ = core.OnSettingsChanged.Subscribe([this, &core] {
        // The core has the speed already; the slider only shows it.
        const QSignalBlocker quiet(TrackBar1);
        TrackBar1->setValue(core.Settings().MelodySpeed);
    });
}

void TScreenForm::CheckBox1Click() { OptionsChanged(); }

TGameSettings TScreenForm::Settings() const
{
    TGameSettings settings;
    settings.EasyMode = CheckBox1->isChecked();
    settings.OnlyBlue = CheckBox2->isChecked();
    settings.SmallShift = CheckBox3->isChecked();
    settings.MelodySpeed = TrackBar1->value();
    return settings;
}

void TScreenForm::OptionsChanged()
{
    if (GameCore)
        GameCore->ApplySettings(Settings());
}

void TScreenForm::DXDrawMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    if (InMinimiseArea(x, y)) {
        clearMask();
        regionApplied_ = false;
        showMinimized();
        // The debug form goes with the main window; a hidden one stays hidden.
        if (Datas && Datas->isVisible())
            Datas->showMinimized();
    } else if (InCloseArea(x, y)) {
        close();
    } else if (StartWindowDrag && !fullScreen_) {
        StartWindowDrag();
    }
}

void TScreenForm::DXDrawMouseMove(Qt::KeyboardModifiers, int x, int y)
{
    SetHint(QString::number(x) + ":" + QString::number(y));
}

void TScreenForm::SetHint(const QString& hint)
{
    hint_ = hint;
    setToolTip(hint);
}

void TScreenForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    QApplication::quit();
}

void TScreenForm::DrawSkin()
{
    if (Datas)
        DXDraw->Surface().LoadFromGraphic(Datas->ImgSkin);
}

void TScreenForm::DXTimerTimer(int)
{
    ComposeFrame(true);
    PaceDisplayFrames();
}

// The one place the picture is put together, on the judging frames and on the frames drawn
// between them alike; only a judging frame moves layer Three.
void TScreenForm::ComposeFrame(bool judging)
{
    if (!DXDraw->CanDraw())
        return;
    DrawSkin();
    if (judging)
        MoveSpriteLayerThree();
    DrawSpriteLayers();
    if (const TGripGame* game = GripGame())
        ShowBallNotices(*game, Notices);
    if (GameCore && GameCore->Training)
        ShowTrainingNotices(*GameCore->Training, Notices, Results);
    if (GameCore)
        ShowGripTestNotice(*GameCore, Notices);
    if (GameCore)
        ShowSessionNotice(*GameCore, Notices);
    Results.Draw(DXDraw->Surface().Image());
    Notices.Draw(DXDraw->Surface().Image());
    DXDraw->Flip();
    displayPacer_->Drawn();
}

void TScreenForm::PaceDisplayFrames()
{
    // While the song moves the balls, they are drawn at the display's rate; judging keeps its
    // own pace. Otherwise the judging frames alone draw, and an idle game stays quiet.
    const bool moving = GameCore && GameCore->MidiPlayer && GameCore->MidiPlayer->Play() && DXTimer->Running();
    if (moving)
        displayPacer_->Start();
    else
        displayPacer_->Stop();
}

void TScreenForm::ApplyRegion()
{
    if (!Datas)
        return;
    resize(Datas->ImgSkin.size() * Scale());
    MaskToSkin();
    update();
    regionApplied_ = true;
}

void TScreenForm::MaskToSkin()
{
    if (!Datas)
        return;
    QRegion region = RegionFromBitmap(Datas->ImgSkin, 0);
    region.translate(-1, 12);
    setMask(ScaledRegion(region, Scale()));
}

int TScreenForm::Scale() const { return windowScale_ ? windowScale_->Scale() : 1; }

int TScreenForm::LargestScale() const
{
    const QRect available = AvailableGeometry ? AvailableGeometry() : QRect();
    const int fitting = available.isEmpty() ? MaxWindowScale : LargestFittingScale(DesignedSize, available);
    return std::min(fitting, MaxWindowScale);
}

int TScreenForm::SetScale(int scale)
{
    scale = std::clamp(scale, 1, LargestScale());
    const int before = Scale();
    if (scale == before || fullScreen_)
        return before;
    // The window keeps its own designed size (the skin's, with the region), times the scale.
    const QSize designed = size() / before;
    windowScale_->Apply(scale);
    DXDraw->SetZoom(scale);
    QRect placed(pos(), designed * scale);
    if (const QRect available = AvailableGeometry ? AvailableGeometry() : QRect(); !available.isEmpty())
        placed = KeptOn(placed, available);
    setGeometry(placed);
    if (regionApplied_)
        MaskToSkin();
    Menu->SetFont(scale == 1 ? QFont() : ScaledFont(QApplication::font(), scale));
    return scale;
}

void TScreenForm::ChangeScale(int step)
{
    if (fullScreen_)
        return;
    const int before = Scale();
    if (SetScale(before + step) != before)
        RememberScale(Scale());
}

void TScreenForm::ShowFullScreen(bool shown)
{
    if (shown == fullScreen_)
        return;
    if (shown) {
        normalGeometry_ = geometry();
        hiddenForFullScreen_.clear();
        for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (control != DXDraw && !control->isWindow() && !control->isHidden()) {
                control->hide();
                hiddenForFullScreen_.append(control);
            }
        clearMask();
        fullScreen_ = true;
        // Without a window manager to do it, the window takes the screen itself.
        if (const QScreen* on = screen())
            setGeometry(on->geometry());
        showFullScreen();
        FitPictureToScreen();
        Q_EMIT FullScreenChanged(true);
        return;
    }
    fullScreen_ = false;
    showNormal();
    setGeometry(normalGeometry_);
    windowScale_->Apply(Scale());
    DXDraw->SetZoom(Scale());
    for (const QPointer<QWidget>& control : hiddenForFullScreen_)
        if (control)
            control->show();
    hiddenForFullScreen_.clear();
    if (regionApplied_)
        MaskToSkin();
    Q_EMIT FullScreenChanged(false);
}

void TScreenForm::FitPictureToScreen()
{
    DXDraw->setGeometry(rect());
    const int zoom = std::min(width() / DesignedPicture.width(), height() / DesignedPicture.height());
    DXDraw->SetZoom(std::max(zoom, 1));
}

void TScreenForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The window manager gives the whole screen in its own time.
    if (fullScreen_)
        FitPictureToScreen();
}

void TScreenForm::ApplicationEvents1Exception(std::exception_ptr error)
{
    const QString message = QString::fromStdString(ExceptionMessage(error));
    // A fault that repeats on every tick must not stack up message boxes: while one is open,
    // the same message is not shown again.
    if (openMessages_.contains(message))
        return;
    openMessages_.insert(message);
    shownMessages_.append(message);
    if (shownMessages_.size() > 100)
        shownMessages_.removeFirst();
    std::fprintf(stderr, "Grip Rhythm: %s\n", message.toLocal8Bit().constData());
    auto* box = new QMessageBox(QMessageBox::NoIcon, windowTitle(), message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, message] { openMessages_.remove(message); });
    // Not modal: the message stays up while the game goes on and the window stays usable.
    box->setModal(false);
    box->show();
}

namespace {

// The local file a dropped or given name stands for: a path, or a file: address.
QString LocalSongFile(const QString& name)
{
    const QUrl url(name);
    return url.isLocalFile() ? url.toLocalFile() : name;
}

QString DroppedSong(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}

} // namespace

void TScreenForm::OpenSong(const QString& path)
{
    Guarded([&] {
        if (GameCore)
            GameCore->ChooseSong(LocalSongFile(path).toStdString());
    });
}

void TScreenForm::OpenSongList()
{
    if (!GameCore || !GameCore->Library)
        return;
    if (TGripGame* game = GripGame()) {
        if (GameCore->MidiPlayer && GameCore->MidiPlayer->Play())
            game->Pause();
        game->Keys().ReleaseAll();
    }
    if (GameCore->Training) {
        GameCore->Training->DismissResults();
        Results.Show({});
    }
    TSongLibrary& library = *GameCore->Library;
    if (!followingLibrary_) {
        libraryFollowing_ = library.OnListed.Subscribe([this] {
            if (GameCore && GameCore->Library)
                SongChooser->SetSongs(GameCore->Library->Songs(), GameCore->Library->Listing());
        });
        followingLibrary_ = true;
    }
    // What was listed before shows at once; the files are looked at again behind it, with the
    // figures of player one as named (everyone's without a name).
    const std::optional<TPlayer>& player = GameCore->ChosenPlayer(0);
    library.Refresh(player ? player->Names : QStringList());
    SongChooser->SetSongs(library.Songs(), true);
    SongChooser->SetMarks(GameCore->MarkedSongs());
    SongChooser->Open();
}

void TScreenForm::OpenSongDialog()
{
    const QString path = ChooseSongFile ? ChooseSongFile() : QString();
    if (!path.isEmpty())
        OpenSong(path);
}

void TScreenForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedSong(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TScreenForm::dropEvent(QDropEvent* event)
{
    const QString path = DroppedSong(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    OpenSong(path);
}
