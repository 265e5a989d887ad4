#pragma once

#include "training/Adapting.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A player by name: an id that never changes, and every name the player has had, the one in
// use last.
struct TPlayer {
    int Id = 0;
    QStringList Names;
    // "Adapt to me": on, and the settings the player's next game takes (none until first on).
    bool Adapt = false;
    std::optional<TAdaptSettings> Adapted;

    const QString& Name() const { return Names.back(); }
};

// The players the game knows, in a file of their own ($XDG_CONFIG_HOME/griprhythm/players.json,
// ~/.config when unset). A rename keeps the old names, so that the record's lines, which keep
// the name played under, still belong to the player; nothing in the record is rewritten. No
// name belongs to two players, whatever its case. The file is read again before each change,
// so that two games running at once lose neither's players; only a change writes it.
class TPlayers {
public:
    // The file as the environment places it now.
    TPlayers();
    explicit TPlayers(QString path);

    static QString DefaultPath();
    const QString& Path() const { return path_; }

    // As the file holds them now, in the order they were added; none when it cannot be read
    // (Failure says why).
    std::vector<TPlayer> List();
    std::optional<TPlayer> ById(int id);
    // The player called so now, else the one called so before, without regard to case.
    std::optional<TPlayer> Find(const QString& name);
    // Every name of the player Find finds; the name alone when it finds none.
    QStringList NamesOf(const QString& name);

    // The new player; none when the name is no good or taken, or the file cannot be written.
    std::optional<TPlayer> Add(const QString& name);
    // False as Add is, or when there is no such player.
    bool Rename(int id, const QString& name);
    // Adapting on or off for the player, with the settings the next game takes; false as
    // Rename is.
    bool SetAdapting(int id, bool on, const std::optional<TAdaptSettings>& settings);
    // What went wrong last, said for the player: "… is already a player's name" and the like.
    const QString& Failure() const { return failure_; }

private:
    bool Load(std::vector<TPlayer>& players);
    // The players as kept, and the one with the id among them; none (the failure said) when
    // the file cannot be read or the player is gone from it.
    TPlayer* LoadWith(std::vector<TPlayer>& players, int id);
    bool Save(const std::vector<TPlayer>& players);
    // Why the name cannot be given to the player with that id (0 for a new one); empty when it can.
    QString Refusal(const std::vector<TPlayer>& players, const QString& name, int id) const;
    bool Failed(const QString& failure);

    QString path_;
    QString failure_;
};
