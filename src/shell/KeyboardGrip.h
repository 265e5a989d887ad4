#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Hands J, K and L, pressed anywhere in the main window, to player one's keyboard grip, and
// lets go of every key when the window loses the keyboard or a menu or dialog opens. Those
// keys type nothing there. Their releases count wherever they land.
class TKeyboardGrip : public QObject {
public:
    // Watches the whole application for the window's keys.
    explicit TKeyboardGrip(QWidget& window);

    // While it says so (a list over the game takes the typing), the keys grip nothing and
    // reach the window as any key does; their releases still count.
    std::function<bool()> Standby;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool InWindow(QObject* watched) const;

    QWidget& window_;
};
