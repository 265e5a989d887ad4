#include "shell/FormsOutput.h"

#include <QLineEdit>
#include <QPlainTextEdit>

void TFormsOutput::ShowGripLevel(int level)
{
    if (!level_)
        return;
    // Setting an edit's text repaints it even when nothing changed; this runs every tick.
    const QString text = QString::number(level);
    if (level_->text() != text)
        level_->setText(text);
}

void TFormsOutput::AppendMemoLine(const QString& line)
{
    if (memo_)
        memo_->appendPlainText(line);
}
