#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// A folder the song library looks through for MIDI files.
struct TSongFolder {
    QString Path;
    // How many folders down it looks: 1 is the folder itself.
    int Depth = 1;
    QStringList Patterns;
};

// The folders in the order they are listed: the songs shipped beside the game, the player's
// own songs folder (made here when missing), the music folder (MIDI files only, a few folders
// down) and the free MIDI music Debian installs for another game, when it is there.
std::vector<TSongFolder> SongFolders();
// $XDG_DATA_HOME/griprhythm/songs.
QString UserSongsFolder();
// $XDG_CACHE_HOME/griprhythm/songs.json.
QString SongCachePath();
// The beat map that goes with a song: the same folder and base name, ending in ".txt".
QString BeatMapBesideSong(const QString& songPath);

// What a song file is, as far as the listing shows it, or why it is no song.
struct TSongFacts {
    QString Name;
    double Seconds = 0;
    int Balls = 0;
    // Set when the file cannot be a song; the other fields are then empty.
    QString Refusal;
};

// The facts of each song file as last found, so that a second listing reads none of the files
// again. An entry counts only while the song and the beat map beside it have the size and
// modification time they had, and only for the program version that wrote it.
class TSongCache {
public:
    // The stamps of a song and the beat map beside it, as they stand now.
    struct TStamp {
        qint64 Size = -1, Modified = -1, MapSize = -1, MapModified = -1;
        bool operator==(const TStamp&) const = default;
    };
    static TStamp StampOf(const QString& songPath, const QString& mapPath);

    explicit TSongCache(QString path, QString version);

    // A missing, damaged or foreign file is an empty cache, never an error.
    void Load();
    // Writes only when something changed; the old file stays whole if the write fails.
    bool Save();

    std::optional<TSongFacts> Find(const QString& path, const TStamp& stamp) const;
    void Put(const QString& path, const TStamp& stamp, const TSongFacts& facts);
    // Entries of files not seen since Load go with the next Save.
    void Seen(const QString& path);

private:
    struct TEntry {
        TStamp Stamp;
        TSongFacts Facts;
    };
    QString path_, version_;
    QHash<QString, TEntry> entries_;
    QHash<QString, bool> seen_;
    bool changed_ = false;
};

// The song files in the folders, each once by its real path (a link to a song elsewhere in
// the library, or a folder listed twice, adds nothing), in the order found. Folders that do
// not exist are passed over.
QStringList FindSongFiles(const std::vector<TSongFolder>& folders);

// Facts of each song file, from the cache where it still holds and from describe otherwise;
// songs that are none are left out and reported through refused with their reason. Once
// stopped says so, no further file is looked at, and the cache keeps what it knew of them.
struct TListedSong {
    QString Path;
    TSongFacts Facts;
};
using TDescribeSong = std::function<TSongFacts(const QString& path)>;
std::vector<TListedSong> ListSongFiles(const QStringList& files, TSongCache& cache, const TDescribeSong& describe,
                                       const std::function<void(const QString& path, const QString& reason)>& refused,
                                       const std::function<bool()>& stopped = {});
