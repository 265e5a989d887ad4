#pragma once

#include <QMenu>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

// The menu a right click on the game surface opens. Each entry is its text and what it does,
// added in one line; whatever an entry throws is shown as every handler's failures are.
class TGameMenu : public QObject {
public:
    explicit TGameMenu(QWidget* surface);

    QAction* AddEntry(const QString& text, std::function<void()> action);
    QMenu& Menu() { return menu_; }

private:
    QMenu menu_;
};
