#include "shell/ScaleControls.h"

#include "platform/Guard.h"
#include "shell/ScreenForm.h"
#include "shell/SurfaceMenu.h"

#include <QKeySequence>
#include <QShortcut>

#include <functional>
#include <initializer_list>

namespace {

QShortcut* Keys(TScreenForm& screen, std::initializer_list<QKeySequence> keys, std::function<void()> run)
{
    auto* shortcut = new QShortcut(&screen);
    shortcut->setKeys(QList<QKeySequence>(keys));
    QObject::connect(shortcut, &QShortcut::activated, &screen, [run] { Guarded(run); });
    return shortcut;
}

} // namespace

void AddScaleControls(TScreenForm& screen)
{
    TScreenForm* s = &screen;
    // The text after the tab is the menu's column of keys.
    s->Menu->Add(
        "Larger\tCtrl++", [s](QPoint) { s->ChangeScale(+1); },
        [s](QPoint) { return !s->FullScreenShown() && s->Scale() < s->LargestScale(); });
    s->Menu->Add(
        "Smaller\tCtrl+-", [s](QPoint) { s->ChangeScale(-1); },
        [s](QPoint) { return !s->FullScreenShown() && s->Scale() > 1; });
    s->Menu->Add(
        "Full screen\tF11", [s](QPoint) { s->ShowFullScreen(true); }, [s](QPoint) { return !s->FullScreenShown(); });

    // Ctrl+= too: where plus shares its key with equals, Ctrl and that key mean plus.
    Keys(screen, {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)}, [s] { s->ChangeScale(+1); });
    Keys(screen, {QKeySequence::ZoomOut}, [s] { s->ChangeScale(-1); });
    Keys(screen, {QKeySequence(Qt::Key_F11)}, [s] { s->ShowFullScreen(!s->FullScreenShown()); });
    QShortcut* back = Keys(screen, {QKeySequence(Qt::Key_Escape)}, [s] { s->ShowFullScreen(false); });
    // Only then: elsewhere Esc stays the control's own that has the keyboard.
    back->setEnabled(false);
    QObject::connect(s, &TScreenForm::FullScreenChanged, back, &QShortcut::setEnabled);
}
