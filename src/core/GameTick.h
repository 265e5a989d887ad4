#pragma once

#include <functional>

class QTimer;
class TGripGame;
class TMidiPlayer;
class TTraining;

// The game's tick (Timer1, every millisecond): player one's grip is read, while the song plays
// both lanes follow its position, the training counts the time played, and the song's end is
// told. Before there is a game it does nothing but keep its own pace.
class TGameTick {
public:
    static constexpr int IdleIntervalMs = 50;

    TGameTick(QTimer& timer, TMidiPlayer& player) : timer_(timer), player_(player) {}

    void SetGame(TGripGame* game) { game_ = game; }
    void SetTraining(TTraining* training) { training_ = training; }
    void Timer1Timer();

    // Asked on every tick, before the game's grip is read: true when it took the grips itself
    // (a grip test does while it runs). The game's grip is then not read, and the tick keeps
    // the pace it keeps while a song plays.
    std::function<bool()> GripsElsewhere;

private:
    QTimer& timer_;
    TMidiPlayer& player_;
    TGripGame* game_ = nullptr;
    TTraining* training_ = nullptr;
    bool elsewhere_ = false;
};
