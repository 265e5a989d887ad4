#pragma once

class QTimer;
class TGripGame;
class TMidiPlayer;
class TTraining;

// The debug form's tick (Timer1, every millisecond): player one's grip is read, while the
// song plays both lanes follow its position, and the training counts the time played. Before
// there is a game it does nothing but keep its own pace.
class TGameTick {
public:
    static constexpr int IdleIntervalMs = 50;

    TGameTick(QTimer& timer, TMidiPlayer& player) : timer_(timer), player_(player) {}

    void SetGame(TGripGame* game) { game_ = game; }
    void SetTraining(TTraining* training) { training_ = training; }
    void Timer1Timer();

private:
    QTimer& timer_;
    TMidiPlayer& player_;
    TGripGame* game_ = nullptr;
    TTraining* training_ = nullptr;
};
