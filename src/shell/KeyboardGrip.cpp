#include "shell/KeyboardGrip.h"

#include "game/GripGame.h"
#include "shell/Globals.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <optional>

namespace {

std::optional<TGripKey> GripKey(int key)
{
    switch (key) {
    case Qt::Key_J:
        return TGripKey::Light;
    case Qt::Key_K:
        return TGripKey::Medium;
    case Qt::Key_L:
        return TGripKey::Hard;
    default:
        return std::nullopt;
    }
}

bool TakesTheKeyboard(QObject* watched)
{
    if (!watched->isWidgetType())
        return false;
    const auto* widget = static_cast<QWidget*>(watched);
    return widget->isWindow() && (widget->windowType() == Qt::Popup || widget->windowType() == Qt::Dialog);
}

void ReleaseAll()
{
    if (TGripGame* game = GripGame())
        game->Keys().ReleaseAll();
}

} // namespace

TKeyboardGrip::TKeyboardGrip(QWidget& window) : QObject(&window), window_(window)
{
    qApp->installEventFilter(this);
}

bool TKeyboardGrip::InWindow(QObject* watched) const
{
    if (watched->isWidgetType())
        return static_cast<QWidget*>(watched)->window() == &window_;
    return watched->isWindowType() && watched == window_.windowHandle();
}

bool TKeyboardGrip::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const std::optional<TGripKey> key = GripKey(keyEvent->key());
        if (!key)
            return false;
        TGripGame* game = GripGame();
        // A release counts wherever it lands and whatever is held with it: one dropped would
        // leave the key gripping for ever.
        if (event->type() == QEvent::KeyRelease && !keyEvent->isAutoRepeat() && game)
            game->Keys().Release(*key);
        if (keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) || !InWindow(watched) ||
            (Standby && Standby()))
            return false;
        // A held key repeats; the grip is held all the same.
        if (event->type() == QEvent::KeyPress && !keyEvent->isAutoRepeat() && game)
            game->Keys().Press(*key);
        return true;
    }
    case QEvent::ApplicationDeactivate:
        ReleaseAll();
        return false;
    case QEvent::WindowDeactivate:
    case QEvent::WindowBlocked:
        if (watched == &window_)
            ReleaseAll();
        return false;
    case QEvent::Show:
        // A menu or a dialog takes the keyboard, and with it the releases of the keys held.
        if (TakesTheKeyboard(watched))
            ReleaseAll();
        return false;
    default:
        return false;
    }
}
