#pragma once

#include "midi/PianoRoll.h"
#include "platform/Listeners.h"

#include <memory>
#include <vector>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QWidget>

class TFormsOutput;
class TGameCore;
class TJvHidDevice;

// The debug form: a view of the game's core and a few controls, as designed. The piano roll
// shows the core's song, the memo the judging's lines; the device, tempo and file-name boxes
// show their designed values, and the file name that of a song chosen since. It stays hidden
// until Debug shows it; it goes before the core it shows.
class TDatas : public QWidget {
    Q_OBJECT
public:
    explicit TDatas(TGameCore& core, QWidget* parent = nullptr);
    ~TDatas() override;

    QImage ImgSkin;
    QLabel* ImgViewport;
    QLabel* Label1;
    QLineEdit* edtDevOnePN;
    QLabel* Label2;
    QLineEdit* edtDevOnePid;
    QLabel* Label3;
    QLineEdit* edtDevOneVid;
    QLabel* Label4;
    QLineEdit* edtDevTwoPN;
    QLabel* Label5;
    QLineEdit* edtDevTwoPid;
    QLabel* Label6;
    QLineEdit* edtDevTwoVid;
    TPianoRoll* PianoRoll;
    QPlainTextEdit* Memo1;
    QLabel* midiFile;
    QLineEdit* edtMidiName;
    QLabel* Label7;
    QSlider* tbTempo;

private:
    // The core's song in the piano roll, from the track that shows it best.
    void ShowSong();
    void SongChanged();
    // A player's (0 or 1) ball in its row of device boxes; without one, the row as designed.
    void ShowBall(int player, const TJvHidDevice* ball);

    TGameCore& core_;
    // The grip level on the main window's Edit1, the judging's lines in Memo1.
    std::unique_ptr<TFormsOutput> output_;
    std::vector<TSubscription> following_;
};

extern TDatas* Datas;
