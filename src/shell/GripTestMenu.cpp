#include "shell/GripTestMenu.h"

#include "core/GameCore.h"
#include "platform/Guard.h"
#include "shell/SurfaceMenu.h"
#include "shell/SurfaceNotices.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// Esc stops a running test wherever the window's keyboard is. It is looked at before any
// shortcut, so the full screen's Esc is left for when no test runs.
class TStopKey : public QObject {
public:
    explicit TStopKey(QWidget& window) : QObject(&window), window_(window) { qApp->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
            return false;
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || !GameCore || !GameCore->GripTesting() ||
            !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &window_)
            return false;
        // Taking the override keeps a shortcut from the key; the press that follows stops the test.
        event->accept();
        if (event->type() == QEvent::KeyPress)
            Guarded([] { GameCore->StopGripTest(); });
        return true;
    }

private:
    QWidget& window_;
};

} // namespace

void AddGripTestEntry(TSurfaceMenu& menu, QWidget& window)
{
    menu.AddOption(
        "Grip test…", [] { return GameCore && GameCore->GripTesting(); },
        [](bool on) {
            if (!GameCore)
                return;
            if (on)
                GameCore->StartGripTest();
            else
                GameCore->StopGripTest();
        });
    new TStopKey(window);
}

void ShowGripTestNotice(const TGameCore& core, TSurfaceNotices& notices)
{
    const QString text = core.GripTestText();
    if (text.isEmpty())
        notices.Hide("griptest");
    else
        notices.Show("griptest", text);
}
