#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;

// Who plays in a lane: the players by name to choose from, "No name" to play unnamed, and a
// new player or a new name for one. What is chosen goes to the core; the players' file is
// written only by adding and renaming.
class TPlayerDialog : public QDialog {
public:
    // lane is 0 or 1; the title says which only when two players play.
    TPlayerDialog(int lane, bool twoPlayers, QWidget* parent = nullptr);

    // What the buttons do once they have a name; each says what went wrong in the dialog and
    // returns false when nothing changed.
    bool AddPlayer(const QString& name);
    bool RenameSelected(const QString& name);
    // Gives the lane the selected player (or none for "No name") and closes.
    void ChooseSelected();

    QListWidget* List() const { return list_; }
    QLabel* Problem() const { return problem_; }

private:
    // The players as the file holds them now, the one with that id selected (0: "No name").
    void Fill(int selectedId);
    int SelectedId() const;
    bool Say(const QString& problem);

    int lane_;
    QListWidget* list_;
    QLabel* problem_;
    QPushButton* rename_;
};
