#pragma once

class QString;

// What the game shows beyond its drawing surface: the grip level as text, and the line the
// judging logs for every judgement. Whoever holds the game's windows provides it.
class TGameOutput {
public:
    virtual ~TGameOutput() = default;
    // Called on every tick with player one's level, 0..6, changed or not.
    virtual void ShowGripLevel(int level) = 0;
    virtual void AppendMemoLine(const QString& line) = 0;
};
