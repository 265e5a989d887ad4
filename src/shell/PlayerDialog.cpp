#include "shell/PlayerDialog.h"

#include "core/GameCore.h"
#include "platform/Exception.h"
#include "platform/Guard.h"

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The item's data: the player's id, 0 for playing unnamed.
constexpr int kIdRole = Qt::UserRole;

} // namespace

TPlayerDialog::TPlayerDialog(int lane, bool twoPlayers, QWidget* parent) : QDialog(parent), lane_(lane)
{
    setWindowTitle(twoPlayers ? (lane == 0 ? "Player one" : "Player two") : "Player");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Who plays?"));
    list_ = new QListWidget;
    layout->addWidget(list_);
    problem_ = new QLabel;
    problem_->setWordWrap(true);
    problem_->hide();
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox;
    QPushButton* add = buttons->addButton("Add…", QDialogButtonBox::ActionRole);
    rename_ = buttons->addButton("Rename…", QDialogButtonBox::ActionRole);
    QPushButton* choose = buttons->addButton("Choose", QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    choose->setDefault(true);
    layout->addWidget(buttons);

    connect(add, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name = QInputDialog::getText(this, "Add a player", "Name:", QLineEdit::Normal, {}, &ok);
        if (ok)
            AddPlayer(name);
    });
    connect(rename_, &QPushButton::clicked, this, [this] {
        if (!list_->currentItem())
            return;
        bool ok = false;
        const QString name = QInputDialog::getText(this, "Rename the player", "New name:", QLineEdit::Normal,
                                                   list_->currentItem()->text(), &ok);
        if (ok)
            RenameSelected(name);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Guarded([this] { ChooseSelected(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { Guarded([this] { ChooseSelected(); }); });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { rename_->setEnabled(SelectedId() != 0); });

    const std::optional<TPlayer>& chosen = GameCore->ChosenPlayer(lane_);
    Fill(chosen ? chosen->Id : 0);
}

void TPlayerDialog::Fill(int selectedId)
{
    list_->clear();
    auto* unnamed = new QListWidgetItem("No name", list_);
    unnamed->setData(kIdRole, 0);
    QFont italic = unnamed->font();
    italic.setItalic(true);
    unnamed->setFont(italic);
    for (const TPlayer& player : GameCore->Players->List()) {
        auto* item = new QListWidgetItem(player.Name(), list_);
        item->setData(kIdRole, player.Id);
        if (player.Names.size() > 1)
            item->setToolTip("Before: " + player.Names.mid(0, player.Names.size() - 1).join(", "));
        if (player.Id == selectedId)
            list_->setCurrentItem(item);
    }
    if (!list_->currentItem())
        list_->setCurrentItem(unnamed);
    // A file the game cannot read is said at once, not first when something is added.
    if (!GameCore->Players->Failure().isEmpty())
        Say(GameCore->Players->Failure());
    rename_->setEnabled(SelectedId() != 0);
}

int TPlayerDialog::SelectedId() const { return list_->currentItem() ? list_->currentItem()->data(kIdRole).toInt() : 0; }

bool TPlayerDialog::Say(const QString& problem)
{
    problem_->setText(problem);
    problem_->setVisible(!problem.isEmpty());
    return false;
}

bool TPlayerDialog::AddPlayer(const QString& name)
{
    Say({});
    const std::optional<TPlayer> player = GameCore->Players->Add(name);
    if (!player)
        return Say(GameCore->Players->Failure());
    Fill(player->Id);
    return true;
}

bool TPlayerDialog::RenameSelected(const QString& name)
{
    Say({});
    const int id = SelectedId();
    if (id == 0)
        return false;
    try {
        GameCore->RenamePlayer(id, name);
    } catch (const Exception& e) {
        return Say(QString::fromUtf8(e.what()));
    }
    Fill(id);
    return true;
}

void TPlayerDialog::ChooseSelected()
{
    const int id = SelectedId();
    std::optional<TPlayer> player = id ? GameCore->Players->ById(id) : std::nullopt;
    if (id && !player) {
        Say(GameCore->Players->Failure().isEmpty() ? "That player is no longer in the players' file."
                                                   : GameCore->Players->Failure());
        return;
    }
    GameCore->ChoosePlayer(lane_, player);
    accept();
}
