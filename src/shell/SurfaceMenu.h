#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

// The game surface's right-click menu: what there is to do beyond the buttons. Each entry is
// one call to Add; it is run with the point of the surface that was clicked, and may say when
// it can be chosen.
class TSurfaceMenu : public QObject {
public:
    using TRun = std::function<void(QPoint at)>;
    using TEnabled = std::function<bool(QPoint at)>;

    explicit TSurfaceMenu(QWidget& surface);

    void Add(const QString& text, TRun run, TEnabled enabled = {});
    // An option that is on or off: shown ticked as checked says, and choosing it hands toggle
    // the other state.
    void AddOption(const QString& text, std::function<bool()> checked, std::function<void(bool on)> toggle);
    // An entry that opens onto one choice of several, the current one checked.
    void AddChoice(const QString& text, const QStringList& choices, std::function<QString()> current,
                   std::function<void(const QString&)> choose);
    // The menu for a click at that point, its entries enabled as they stand now.
    QMenu& Build(QPoint at);
    // The menu's lettering, grown with the window's scale.
    void SetFont(const QFont& font) { menu_.setFont(font); }

private:
    struct TEntry {
        QString Text;
        TRun Run;
        TEnabled Enabled;
        std::function<bool()> Checked;
        std::function<void(bool on)> Toggle;
        QStringList Choices;
        std::function<QString()> Current;
        std::function<void(const QString&)> Choose;
    };

    QWidget& surface_;
    QMenu menu_;
    std::vector<TEntry> entries_;
    std::vector<std::unique_ptr<QMenu>> submenus_;
};
