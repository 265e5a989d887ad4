#include "midi/SongLibrary.h"

#include "platform/DataPath.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

namespace {

const QStringList SongPatterns = {"*.mid", "*.midi", "*.kar", "*.rmi"};
// In a music folder RIFF files are mostly sound, not songs.
const QStringList MusicPatterns = {"*.mid", "*.midi", "*.kar"};
// Where Debian's free General MIDI music lies, when the package that brings it is installed.
const QString DebianMidiMusic = "/usr/share/games/openttd/baseset/openmsx";

// A cache larger than this is no cache this program wrote for any library a person has.
constexpr qint64 LargestCache = 64 << 20;

void Walk(const QString& folder, int depth, const QStringList& patterns, QSet<QString>& seen, QStringList& found)
{
    if (depth < 1)
        return;
    const QDir dir(folder);
    // Case-insensitive patterns: SONG.MID is a song as much as song.mid.
    for (const QFileInfo& file : dir.entryInfoList(patterns, QDir::Files | QDir::Readable, QDir::Name)) {
        const QString real = file.canonicalFilePath();
        if (!real.isEmpty() && !seen.contains(real)) {
            seen.insert(real);
            found.append(real);
        }
    }
    for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name))
        Walk(sub.filePath(), depth - 1, patterns, seen, found);
}

qint64 MsSinceEpoch(const QFileInfo& info) { return info.lastModified().toMSecsSinceEpoch(); }

} // namespace

QString UserSongsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/griprhythm/songs";
}

QString SongCachePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/griprhythm/songs.json";
}

QString BeatMapBesideSong(const QString& songPath)
{
    const QFileInfo song(songPath);
    return song.path() + "/" + song.completeBaseName() + ".txt";
}

std::vector<TSongFolder> SongFolders()
{
    const QString user = UserSongsFolder();
    // A folder the player can find and fill; one that cannot be made only lists nothing.
    QDir().mkpath(user);
    std::vector<TSongFolder> folders = {
        {QString::fromStdString(DataDirectory()) + "songs", 1, SongPatterns},
        {user, 4, SongPatterns},
    };
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    // Without a music folder of its own the location is the home folder, which is not music.
    if (!music.isEmpty() && QDir(music) != QDir::home())
        folders.push_back({music, 4, MusicPatterns});
    folders.push_back({DebianMidiMusic, 1, SongPatterns});
    return folders;
}

QStringList FindSongFiles(const std::vector<TSongFolder>& folders)
{
    QSet<QString> seen;
    QStringList found;
    for (const TSongFolder& folder : folders)
        Walk(folder.Path, folder.Depth, folder.Patterns, seen, found);
    return found;
}

TSongCache::TStamp TSongCache::StampOf(const QString& songPath, const QString& mapPath)
{
    TStamp stamp;
    const QFileInfo song(songPath);
    if (song.exists()) {
        stamp.Size = song.size();
        stamp.Modified = MsSinceEpoch(song);
    }
    const QFileInfo map(mapPath);
    if (map.exists()) {
        stamp.MapSize = map.size();
        stamp.MapModified = MsSinceEpoch(map);
    }
    return stamp;
}

TSongCache::TSongCache(QString path, QString version) : path_(std::move(path)), version_(std::move(version)) {}

void TSongCache::Load()
{
    entries_.clear();
    seen_.clear();
    changed_ = false;
    QFile file(path_);
    if (file.size() > LargestCache || !file.open(QIODevice::ReadOnly))
        return;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject root = doc.object();
    // Another version may describe songs otherwise (its beat maps, its import): none of its
    // entries holds.
    if (error.error != QJsonParseError::NoError || root.value("version").toString() != version_)
        return;
    const QJsonObject songs = root.value("songs").toObject();
    for (auto it = songs.begin(); it != songs.end(); ++it) {
        const QJsonObject e = it.value().toObject();
        const QJsonArray stamp = e.value("stamp").toArray();
        if (stamp.size() != 4 || !e.value("name").isString())
            continue;
        TEntry entry;
        entry.Stamp = {stamp[0].toInteger(-2), stamp[1].toInteger(-2), stamp[2].toInteger(-2), stamp[3].toInteger(-2)};
        entry.Facts.Name = e.value("name").toString();
        entry.Facts.Seconds = e.value("seconds").toDouble();
        entry.Facts.Balls = e.value("balls").toInt();
        entry.Facts.Refusal = e.value("refusal").toString();
        if (entry.Facts.Refusal.isEmpty() && entry.Facts.Name.isEmpty())
            continue;
        entries_.insert(it.key(), entry);
    }
}

bool TSongCache::Save()
{
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (seen_.contains(it.key())) {
            ++it;
        } else {
            it = entries_.erase(it);
            changed_ = true;
        }
    }
    if (!changed_)
        return true;
    QJsonObject songs;
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it) {
        const TEntry& e = it.value();
        QJsonObject o;
        o["stamp"] = QJsonArray{e.Stamp.Size, e.Stamp.Modified, e.Stamp.MapSize, e.Stamp.MapModified};
        o["name"] = e.Facts.Name;
        o["seconds"] = e.Facts.Seconds;
        o["balls"] = e.Facts.Balls;
        if (!e.Facts.Refusal.isEmpty())
            o["refusal"] = e.Facts.Refusal;
        songs[it.key()] = o;
    }
    QJsonObject root;
    root["version"] = version_;
    root["songs"] = songs;
    QDir().mkpath(QFileInfo(path_).path());
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(root).toJson(QJsonDocument::Compact));
    if (!file.commit())
        return false;
    changed_ = false;
    return true;
}

std::optional<TSongFacts> TSongCache::Find(const QString& path, const TStamp& stamp) const
{
    const auto it = entries_.constFind(path);
    if (it == entries_.cend() || !(it->Stamp == stamp))
        return std::nullopt;
    return it->Facts;
}

void TSongCache::Put(const QString& path, const TStamp& stamp, const TSongFacts& facts)
{
    entries_.insert(path, {stamp, facts});
    seen_.insert(path, true);
    changed_ = true;
}

void TSongCache::Seen(const QString& path) { seen_.insert(path, true); }

std::vector<TListedSong> ListSongFiles(const QStringList& files, TSongCache& cache, const TDescribeSong& describe,
                                       const std::function<void(const QString& path, const QString& reason)>& refused,
                                       const std::function<bool()>& stopped)
{
    std::vector<TListedSong> songs;
    songs.reserve(static_cast<size_t>(files.size()));
    for (const QString& path : files) {
        if (stopped && stopped()) {
            cache.Seen(path);
            continue;
        }
        const TSongCache::TStamp stamp = TSongCache::StampOf(path, BeatMapBesideSong(path));
        cache.Seen(path);
        std::optional<TSongFacts> facts = cache.Find(path, stamp);
        if (!facts) {
            facts = describe(path);
            cache.Put(path, stamp, *facts);
        }
        if (!facts->Refusal.isEmpty()) {
            if (refused)
                refused(path, facts->Refusal);
            continue;
        }
        songs.push_back({path, *facts});
    }
    return songs;
}
