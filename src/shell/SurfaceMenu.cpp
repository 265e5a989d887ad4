#include "shell/SurfaceMenu.h"

#include "platform/Guard.h"
#include "sprites/DXDraws.h"

#include <QWidget>

TSurfaceMenu::TSurfaceMenu(QWidget& surface) : QObject(&surface), surface_(surface)
{
    // A right click still reaches the surface's own mouse handler first, which leaves it be.
    surface.setContextMenuPolicy(Qt::CustomContextMenu);
    // The entries are given the point of the game picture, whatever its zoom.
    connect(&surface, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        const auto* picture = qobject_cast<const TDXDraw*>(&surface_);
        Build(picture ? picture->UnzoomedPoint(at) : at).popup(surface_.mapToGlobal(at));
    });
}

void TSurfaceMenu::Add(const QString& text, TRun run, TEnabled enabled)
{
    entries_.push_back({text, std::move(run), std::move(enabled), {}, {}, {}, {}, {}});
}

void TSurfaceMenu::AddOption(const QString& text, std::function<bool()> checked, std::function<void(bool on)> toggle)
{
    entries_.push_back({text, {}, {}, std::move(checked), std::move(toggle), {}, {}, {}});
}

void TSurfaceMenu::AddChoice(const QString& text, const QStringList& choices, std::function<QString()> current,
                             std::function<void(const QString&)> choose)
{
    entries_.push_back({text, {}, {}, {}, {}, choices, std::move(current), std::move(choose)});
}

QMenu& TSurfaceMenu::Build(QPoint at)
{
    menu_.clear();
    submenus_.clear();
    for (const TEntry& entry : entries_) {
        if (!entry.Choices.isEmpty()) {
            auto& sub = submenus_.emplace_back(std::make_unique<QMenu>(entry.Text));
            sub->setFont(menu_.font());
            menu_.addMenu(sub.get());
            const QString now = entry.Current();
            for (const QString& choice : entry.Choices) {
                QAction* action = sub->addAction(choice);
                action->setCheckable(true);
                action->setChecked(choice == now);
                connect(action, &QAction::triggered, this,
                        [choose = entry.Choose, choice] { Guarded([&] { choose(choice); }); });
            }
            continue;
        }
        QAction* action = menu_.addAction(entry.Text);
        if (entry.Toggle) {
            action->setCheckable(true);
            action->setChecked(entry.Checked());
            connect(action, &QAction::toggled, this, [toggle = entry.Toggle](bool on) { Guarded([&] { toggle(on); }); });
            continue;
        }
        action->setEnabled(!entry.Enabled || entry.Enabled(at));
        connect(action, &QAction::triggered, this, [run = entry.Run, at] { Guarded([&] { run(at); }); });
    }
    return menu_;
}
