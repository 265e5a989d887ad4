#include "shell/Datas.h"

#include "platform/Guard.h"

#include <QFont>

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

TDatas::TDatas(QWidget* parent) : QWidget(parent, Qt::Window)
{
    Datas = this;
    setObjectName("Datas");
    setWindowTitle("Datas");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    setGeometry(208, 47, 445, 539);

    ImgSkin = QImage(":/shell/skin.bmp");

    // The pictures lie beneath the windowed controls where they overlap.
    ImgViewport = new QLabel(this);
    ImgViewport->setObjectName("ImgViewport");
    ImgViewport->setPixmap(QPixmap(":/shell/viewport.bmp"));
    ImgViewport->setGeometry(32, 120, 461, 362);

    Label1 = Label(this, "Device One", 8, 16);
    edtDevOnePN = Edit(this, "Kneadle Bal", 80, 16, 65, 21);
    Label2 = Label(this, "PID", 152, 16);
    edtDevOnePid = Edit(this, "5678", 176, 16, 73, 21);
    Label3 = Label(this, "VID", 256, 16);
    edtDevOneVid = Edit(this, "1234", 280, 16, 65, 21);
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

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });
    Timer1->start();

    Guarded([this] { FormCreate(); });
}

TDatas::~TDatas()
{
    if (Datas == this)
        Datas = nullptr;
}

void TDatas::FormCreate()
{
    startUpComplete_ = true;
}

void TDatas::Timer1Timer() {}

void TDatas::StartGame() {}

void TDatas::PauseGame() {}

void TDatas::ResumeGame() {}

void TDatas::SetTempoPercent(int) {}

void TDatas::SetEasyMode(bool) {}

void TDatas::MoveAndDrawLayers() {}
