#include "shell/Datas.h"

#include "core/GameCore.h"
#include "game/GripBall.h"
#include "game/GripGame.h"
#include "game/StressValue.h"
#include "hid/HidDevice.h"
#include "midi/MidiData.h"
#include "shell/FormFont.h"
#include "shell/FormsOutput.h"
#include "shell/ScreenForm.h"

#include <QFileInfo>

TDatas* Datas = nullptr;

namespace {

QLabel* Label(QWidget* parent, const char* caption, int x, int y)
{
    auto* l = new QLabel(caption, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QLineEdit* Edit(QWidget* parent, const char* text, int x, int y, int w, int h)
{
    auto* e = new QLineEdit(text, parent);
    e->setGeometry(x, y, w, h);
    return e;
}

} // namespace

TDatas::TDatas(TGameCore& core, QWidget* parent) : QWidget(parent, Qt::Window), core_(core)
{
    Datas = this;
    setObjectName("Datas");
    setWindowTitle("Datas");
    setFont(FormFont());
    setGeometry(208, 47, 445, 539);

    ImgSkin = QImage(":/shell/skin.bmp");

    // The pictures lie beneath the windowed controls where they overlap.
    ImgViewport = new QLabel(this);
    ImgViewport->setObjectName("ImgViewport");
    ImgViewport->setPixmap(QPixmap(":/shell/viewport.bmp"));
    ImgViewport->setGeometry(32, 120, 461, 362);

    Label1 = Label(this, "Device One", 8, 16);
    // The device boxes are filled below, as the balls stand.
    edtDevOnePN = Edit(this, "", 80, 16, 65, 21);
    Label2 = Label(this, "PID", 152, 16);
    edtDevOnePid = Edit(this, "", 176, 16, 73, 21);
    Label3 = Label(this, "VID", 256, 16);
    edtDevOneVid = Edit(this, "", 280, 16, 65, 21);
    Label4 = Label(this, "Device Two", 8, 56);
    edtDevTwoPN = Edit(this, "", 80, 48, 65, 21);
    Label5 = Label(this, "PID", 152, 56);
    edtDevTwoPid = Edit(this, "", 176, 48, 73, 21);
    Label6 = Label(this, "VID", 256, 56);
    edtDevTwoVid = Edit(this, "", 280, 48, 65, 21);
    PianoRoll = new TPianoRoll(this);
    PianoRoll->setObjectName("PianoRoll");
    PianoRoll->setGeometry(16, 80, 265, 241);
    PianoRoll->SetWhiteNoteHeight(16);
    PianoRoll->NoteCursor = QCursor(Qt::OpenHandCursor);
    PianoRoll->LeftStretchCursor = QCursor(Qt::SizeHorCursor);
    PianoRoll->RightStretchCursor = QCursor(Qt::SizeHorCursor);
    PianoRoll->SetTrack(0);
    PianoRoll->SetLeftPosition(0);
    PianoRoll->SetActivePosition(0);
    PianoRoll->SetQNWidth(32);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(288, 80, 137, 241);
    midiFile = Label(this, "midiFile", 8, 232);
    edtMidiName = Edit(this, "invincible.mid", 48, 232, 97, 21);
    Label7 = Label(this, "Tempo", 112, 352);
    tbTempo = new QSlider(Qt::Horizontal, this);
    tbTempo->setGeometry(168, 352, 257, 33);
    tbTempo->setRange(10, 120);
    tbTempo->setValue(10);
    tbTempo->setTickInterval(10);
    tbTempo->setTickPosition(QSlider::TicksBelow);
    // Labels are painted on the form itself, beneath every windowed control.
    midiFile->lower();
    ImgViewport->lower();

    // The game shows its grip level in the main window's Edit1 and logs to this form's memo.
    output_ = std::make_unique<TFormsOutput>(ScreenForm ? ScreenForm->Edit1 : nullptr, Memo1);
    following_.push_back(core.OnGripLevel.Subscribe([this](int level) { output_->ShowGripLevel(level); }));
    following_.push_back(core.OnMemoLine.Subscribe([this](const QString& line) { output_->AppendMemoLine(line); }));
    following_.push_back(core.OnSongChanged.Subscribe([this] { SongChanged(); }));
    following_.push_back(core.GripBall->OnPlayerBall.Subscribe([this](TStressValue& grip) {
        const TGripGame* game = core_.Game();
        ShowBall(game && &grip == game->PlayerTwoStress() ? 1 : 0, grip.Device);
    }));
    ShowSong();
    const TGripGame* game = core.Game();
    ShowBall(0, game ? game->PlayerOneStress()->Device : nullptr);
    ShowBall(1, game ? game->PlayerTwoStress()->Device : nullptr);
}

TDatas::~TDatas()
{
    following_.clear();
    PianoRoll->SetMidiData(nullptr);
    if (Datas == this)
        Datas = nullptr;
}

void TDatas::ShowSong()
{
    PianoRoll->SetMidiData(core_.MidiData.get());
    PianoRoll->SetTrack(core_.ShownTrack());
    if (!core_.ChosenSongPath().empty())
        edtMidiName->setText(QFileInfo(QString::fromStdString(core_.ChosenSongPath())).fileName());
}

void TDatas::SongChanged()
{
    ShowSong();
    // The memo logs the judging of the song that plays.
    Memo1->clear();
}

void TDatas::ShowBall(int player, const TJvHidDevice* ball)
{
    QLineEdit* name = player == 0 ? edtDevOnePN : edtDevTwoPN;
    QLineEdit* pid = player == 0 ? edtDevOnePid : edtDevTwoPid;
    QLineEdit* vid = player == 0 ? edtDevOneVid : edtDevTwoVid;
    // As designed: player one's row names the ball the game looks for.
    if (!ball) {
        name->setText(player == 0 ? "Kneadle Bal" : "");
        pid->setText(player == 0 ? "5678" : "");
        vid->setText(player == 0 ? "1234" : "");
        return;
    }
    name->setText(QString::fromStdString(ball->ProductName()));
    pid->setText(QString::asprintf("%04x", ball->Attributes().ProductID));
    vid->setText(QString::asprintf("%04x", ball->Attributes().VendorID));
}
