#pragma once

#include "midi/SongLibrary.h"
#include "platform/Listeners.h"
#include "training/HitRates.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QThread;

// A song as the library lists it: what the game would play and how the player went in it.
struct TSongListing {
    QString Path;
    QString Name;
    double Seconds = 0;
    // The balls one lane lays out from the beat map the game would load or make.
    int Balls = 0;
    THitRates Rates;
};

// What choosing the song would give: its title as the import gives it, its length, and the
// balls of its beat map (the one beside it, else the one made from its melody); or the reason
// the game would refuse it.
TSongFacts DescribeSong(const QString& path);

// The version whose cache entries hold.
QString SongListVersion();

// Where a listing looks and what it reads; by default where the game keeps them.
struct TSongListPlaces {
    std::vector<TSongFolder> Folders;
    QString CachePath;
    QString RecordPath;
    static TSongListPlaces Default();
};

// Every song of the places' folders, sorted by name without regard to case, with the named
// players' rates from the record (every player's when no name is given). A file that is no
// song is left out, its reason handed to refused (by default the terminal). Once stopped says
// so, the files not yet looked at are left out.
using TRefused = std::function<void(const QString& path, const QString& reason)>;
std::vector<TSongListing> ListSongs(const TSongListPlaces& places, const QStringList& players,
                                    const TRefused& refused = {}, const std::function<bool()>& stopped = {});

// The library as the game keeps it: each listing runs on a thread of its own, and reaches the
// followers on the thread that asked for it, so the window never waits for the files.
class TSongLibrary : public QObject {
public:
    explicit TSongLibrary(QObject* parent = nullptr);
    ~TSongLibrary() override;

    // Lists again; a listing under way finishes first and then this one runs. The program
    // ending stops a listing at the next file.
    void Refresh(const QStringList& players = {});
    bool Listing() const { return worker_ != nullptr; }
    const std::vector<TSongListing>& Songs() const { return songs_; }

    // Where it lists; the game's own places (and with them the player's songs folder) are
    // made at the first listing when none are given, so a game that never lists writes none.
    std::optional<TSongListPlaces> Places;
    TListeners<void()> OnListed;

private:
    void Begin();

    std::vector<TSongListing> songs_;
    QThread* worker_ = nullptr;
    bool again_ = false;
    QStringList players_;
};
