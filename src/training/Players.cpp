#include "training/Players.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

constexpr int kLongestName = 40;

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Settings edited by hand into nonsense are brought back within their bounds rather than
// refused: the player's names matter more than one game's speed.
std::optional<TAdaptSettings> ReadAdapted(const QJsonObject& adapt)
{
    if (!adapt.contains("speed"))
        return std::nullopt;
    TAdaptSettings settings;
    settings.Level = MapLevelNamed(adapt.value("level").toString().toStdString()).value_or(EMapLevel::Normal);
    settings.Speed = adapt.value("speed").toInt(settings.Speed);
    settings.Share = adapt.value("share").toInt(settings.Share);
    return TAdapting::Bounded(settings);
}

QJsonObject WriteAdapted(const TPlayer& player)
{
    QJsonObject adapt{{"on", player.Adapt}};
    if (player.Adapted) {
        adapt.insert("level", MapLevelName(player.Adapted->Level));
        adapt.insert("speed", player.Adapted->Speed);
        adapt.insert("share", player.Adapted->Share);
    }
    return adapt;
}

} // namespace

TPlayers::TPlayers() : TPlayers(DefaultPath()) {}

TPlayers::TPlayers(QString path) : path_(std::move(path)) {}

QString TPlayers::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/griprhythm/players.json";
}

TPlayer* TPlayers::LoadWith(std::vector<TPlayer>& players, int id)
{
    if (!Load(players))
        return nullptr;
    const auto player = std::find_if(players.begin(), players.end(), [id](const TPlayer& p) { return p.Id == id; });
    if (player == players.end()) {
        Failed("That player is no longer in " + path_ + ".");
        return nullptr;
    }
    return &*player;
}

bool TPlayers::Failed(const QString& failure)
{
    failure_ = failure;
    return false;
}

bool TPlayers::Load(std::vector<TPlayer>& players)
{
    players.clear();
    failure_.clear();
    QFile file(path_);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return Failed("The players' file " + path_ + " cannot be read (" + file.errorString() + ").");
    // A file edited by hand that the game cannot follow is left as it is, not written over.
    const QString damaged = "The players' file " + path_ + " is damaged; mend it or move it away to start afresh.";
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return Failed(damaged);
    for (const QJsonValue& entry : document.object().value("players").toArray()) {
        TPlayer player;
        player.Id = entry.toObject().value("id").toInt();
        const QJsonObject adapt = entry.toObject().value("adapt").toObject();
        player.Adapt = adapt.value("on").toBool();
        player.Adapted = ReadAdapted(adapt);
        for (const QJsonValue& name : entry.toObject().value("names").toArray())
            if (name.isString() && !name.toString().isEmpty())
                player.Names << name.toString();
        const bool idTaken = std::any_of(players.begin(), players.end(),
                                         [&](const TPlayer& other) { return other.Id == player.Id; });
        if (player.Id <= 0 || idTaken || player.Names.isEmpty())
            return Failed(damaged);
        players.push_back(player);
    }
    return true;
}

bool TPlayers::Save(const std::vector<TPlayer>& players)
{
    QJsonArray list;
    for (const TPlayer& player : players) {
        QJsonObject entry{{"id", player.Id}, {"names", QJsonArray::fromStringList(player.Names)}};
        // A player who never adapted keeps the entry of a file from before adapting.
        if (player.Adapt || player.Adapted)
            entry.insert("adapt", WriteAdapted(player));
        list.append(entry);
    }
    if (!QDir().mkpath(QFileInfo(path_).path()))
        return Failed("The players' file " + path_ + " cannot be written: its folder cannot be made.");
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(QJsonObject{{"players", list}}).toJson()) < 0 || !file.commit())
        return Failed("The players' file " + path_ + " cannot be written (" + file.errorString() + ").");
    return true;
}

std::vector<TPlayer> TPlayers::List()
{
    std::vector<TPlayer> players;
    if (!Load(players))
        players.clear();
    return players;
}

std::optional<TPlayer> TPlayers::ById(int id)
{
    for (const TPlayer& player : List())
        if (player.Id == id)
            return player;
    return std::nullopt;
}

std::optional<TPlayer> TPlayers::Find(const QString& name)
{
    const std::vector<TPlayer> players = List();
    const QString wanted = name.trimmed();
    for (const TPlayer& player : players)
        if (SameName(player.Name(), wanted))
            return player;
    for (const TPlayer& player : players)
        if (std::any_of(player.Names.begin(), player.Names.end(), [&](const QString& old) { return SameName(old, wanted); }))
            return player;
    return std::nullopt;
}

QStringList TPlayers::NamesOf(const QString& name)
{
    const std::optional<TPlayer> player = Find(name);
    return player ? player->Names : QStringList{name};
}

QString TPlayers::Refusal(const std::vector<TPlayer>& players, const QString& name, int id) const
{
    if (name.isEmpty())
        return "A player needs a name.";
    if (name.size() > kLongestName)
        return QString("A player's name may be up to %1 letters long.").arg(kLongestName);
    if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return "A player's name cannot hold control characters.";
    // A name once given stays the player's, so that the record's lines under it keep one owner.
    for (const TPlayer& player : players)
        if (player.Id != id &&
            std::any_of(player.Names.begin(), player.Names.end(), [&](const QString& old) { return SameName(old, name); }))
            return "\"" + name + "\" is already " + (SameName(player.Name(), name) ? "a player's name." : "the old name of " + player.Name() + ".");
    return {};
}

std::optional<TPlayer> TPlayers::Add(const QString& name)
{
    std::vector<TPlayer> players;
    if (!Load(players))
        return std::nullopt;
    const QString trimmed = name.trimmed();
    if (const QString refusal = Refusal(players, trimmed, 0); !refusal.isEmpty()) {
        Failed(refusal);
        return std::nullopt;
    }
    TPlayer player;
    for (const TPlayer& other : players)
        player.Id = std::max(player.Id, other.Id);
    ++player.Id;
    player.Names << trimmed;
    players.push_back(player);
    if (!Save(players))
        return std::nullopt;
    return player;
}

bool TPlayers::Rename(int id, const QString& name)
{
    std::vector<TPlayer> players;
    TPlayer* player = LoadWith(players, id);
    if (!player)
        return false;
    const QString trimmed = name.trimmed();
    if (const QString refusal = Refusal(players, trimmed, id); !refusal.isEmpty())
        return Failed(refusal);
    if (player->Name() == trimmed)
        return true;
    // Back to a name of its own: it moves to the end, once.
    player->Names.removeAll(trimmed);
    player->Names << trimmed;
    return Save(players);
}

bool TPlayers::SetAdapting(int id, bool on, const std::optional<TAdaptSettings>& settings)
{
    std::vector<TPlayer> players;
    TPlayer* player = LoadWith(players, id);
    if (!player)
        return false;
    player->Adapt = on;
    if (settings)
        player->Adapted = TAdapting::Bounded(*settings);
    return Save(players);
}
