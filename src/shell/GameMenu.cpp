#include "shell/GameMenu.h"

#include "platform/Guard.h"

#include <QWidget>

TGameMenu::TGameMenu(QWidget* surface) : QObject(surface)
{
    surface->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(surface, &QWidget::customContextMenuRequested, this,
            [this, surface](const QPoint& at) { menu_.popup(surface->mapToGlobal(at)); });
}

QAction* TGameMenu::AddEntry(const QString& text, std::function<void()> action)
{
    return menu_.addAction(text, this, [action = std::move(action)] { Guarded(action); });
}
