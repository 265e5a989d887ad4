#pragma once

#include "game/GameOutput.h"

class QLineEdit;
class QPlainTextEdit;

// The game's output on the two forms: the grip level in the main window's Edit1, the judging's
// lines in the debug form's memo. Either may be missing; then that part is shown nowhere.
class TFormsOutput : public TGameOutput {
public:
    TFormsOutput(QLineEdit* level, QPlainTextEdit* memo) : level_(level), memo_(memo) {}

    void ShowGripLevel(int level) override;
    void AppendMemoLine(const QString& line) override;

private:
    QLineEdit* level_;
    QPlainTextEdit* memo_;
};
