#pragma once

#include "game/GameSettings.h"
#include "platform/Listeners.h"
#include "shell/ResultsPanel.h"
#include "shell/SurfaceNotices.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QSet>
#include <QSlider>
#include <QStringList>
#include <QWidget>

#include <exception>
#include <functional>

class TDXDraw;
class TDXTimer;
class TDisplayPacer;
class TSongChooser;
class TSurfaceMenu;
class TWindowScale;

// The main window: the drawing surface, the game's buttons and options, and the frame loop.
class TGameCore;
class TScreenForm : public QWidget {
    Q_OBJECT
public:
    explicit TScreenForm(QWidget* parent = nullptr);
    ~TScreenForm() override;

    TDXDraw* DXDraw;
    QPushButton* btnStart;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QSlider* TrackBar1;
    QPushButton* Button5;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QPushButton* btnStop;
    TDXDraw* DXDraw1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QLineEdit* Edit1;
    TDXTimer* DXTimer;

    void btnStartClick();
    void btnStopClick();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void TrackBar1Change();
    void CheckBox1Click();
    void DXDrawMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void DXDrawMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void DXTimerTimer(int lagCount);
    void ApplicationEvents1Exception(std::exception_ptr error);

    void DrawSkin();
    // Skin, judging (when asked for), the six layers and the flip.
    void ComposeFrame(bool judging);
    void ApplyRegion();
    // The options as the controls stand.
    TGameSettings Settings() const;
    bool RegionApplied() const { return regionApplied_; }

    QString Hint() const { return hint_; }

    // Every message shown so far, oldest first, for whoever needs to know what the player saw.
    const QStringList& ShownMessages() const { return shownMessages_; }

    // Where a caption drag goes; replaceable so that tests can see it without a window manager.
    std::function<void()> StartWindowDrag;

    // Texts drawn over the game on every frame.
    TSurfaceNotices Notices;
    // The results of a game the song ended, under the notices.
    TResultsPanel Results;
    // The game surface's right-click menu.
    TSurfaceMenu* Menu;

    // Opens a song of the player's choosing (from the command line, the file manager, a drop
    // on the window or "Open song…"); a song that cannot be played shows its message and the
    // loaded one stays.
    void OpenSong(const QString& path);
    // "Open song…": asks for a file and opens it.
    void OpenSongDialog();
    // Asks the player for a song file, empty when none is chosen; replaceable for tests.
    std::function<QString()> ChooseSongFile;
    // "Songs…" and Ctrl+O: the library over the game picture. A song under way pauses and the
    // keys stop gripping while it is open; the last game's results go.
    void OpenSongList();
    TSongChooser* SongChooser;
    // Shows the options the core moves by itself (the speed adapting sets) on the controls.
    void FollowCore(TGameCore& core);

    // The whole window, every control, the region and the mouse at 1 to 4 times the designed
    // size, the game picture enlarged pixel by pixel.
    int Scale() const;
    // Capped at the largest scale whose window fits the available area, and moved to lie on
    // it; returns the scale in force. Not remembered: that is ChangeScale's.
    int SetScale(int scale);
    // The player's step larger (+1) or smaller (-1), remembered for the next start.
    void ChangeScale(int step);
    int LargestScale() const;
    // The part of the screen the window may take; replaceable so that tests can choose one.
    std::function<QRect()> AvailableGeometry;

    // The game picture alone over the whole screen, at the largest whole zoom that fits, black
    // around; the window as it was again when it ends.
    void ShowFullScreen(bool shown);
    bool FullScreenShown() const { return fullScreen_; }

Q_SIGNALS:
    void FullScreenChanged(bool shown);

protected:
    // Closing the main window in any way ends the program, as End does, also while the debug
    // form is open.
    void closeEvent(QCloseEvent* event) override;
    // A MIDI file dropped anywhere on the window is opened as the song.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetHint(const QString& hint);
    void PaceDisplayFrames();
    // Hands the options to the core, which gives them to the song and the game.
    void OptionsChanged();
    // The skin's outline at the scale in force.
    void MaskToSkin();
    void FitPictureToScreen();

    QString hint_ = "123";
    QStringList shownMessages_;
    QSet<QString> openMessages_;
    bool regionApplied_ = false;
    TDisplayPacer* displayPacer_ = nullptr;
    TWindowScale* windowScale_ = nullptr;
    bool fullScreen_ = false;
    QRect normalGeometry_;
    QList<QPointer<QWidget>> hiddenForFullScreen_;
    TSubscription libraryFollowing_;
    TSubscription settingsFollowing_;
    bool followingLibrary_ = false;
};

extern TScreenForm* ScreenForm;
