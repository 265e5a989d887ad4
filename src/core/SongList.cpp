#include "core/SongList.h"

#include "game/BeatMapMaker.h"
#include "game/Metronome.h"
#include "game/PipeLine.h"
#include "midi/MidiData.h"
#include "midi/MidiIterator.h"
#include "midi/SongImport.h"
#include "platform/ControlEscapes.h"
#include "training/TrainingLog.h"

#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <mutex>

TSongFacts DescribeSong(const QString& path)
{
    TSongFacts facts;
    try {
        const std::string file = path.toStdString();
        const TImportedSong imported = ImportSongFile(file);
        TMidiData song;
        song.OpenBytes(imported.File, file);
        TMidiPosition end;
        end.SetMidiData(&song);
        end.SeekToEnd();
        facts.Seconds = end.Time / 1000.0;
        // The same beat map as choosing the song loads, read by the same loader, so that a map
        // the game would refuse keeps the song out of the list too. An empty folder makes the
        // file name the whole path.
        TMetronome metronome{std::string()};
        const QString beside = BeatMapBesideSong(path);
        if (QFileInfo(beside).isFile()) {
            metronome.LoadBeatMap(beside.toStdString());
        } else {
            TBeatMapOptions made;
            made.QuartersPerBeat = imported.QuartersPerBeat;
            metronome.LoadBeatMapText(MakeBeatMap(song, made).Text);
        }
        facts.Balls = LaidOutBalls(metronome.Marks());
        facts.Name = QString::fromStdString(imported.Title);
        if (facts.Name.isEmpty())
            facts.Name = QFileInfo(path).completeBaseName();
    } catch (const std::exception& e) {
        facts = {};
        facts.Refusal = QString::fromStdString(e.what());
        if (facts.Refusal.isEmpty())
            facts.Refusal = "it cannot be read";
    }
    return facts;
}

QString SongListVersion() { return QStringLiteral(GRIP_VERSION); }

TSongListPlaces TSongListPlaces::Default() { return {SongFolders(), SongCachePath(), TTrainingLog::DefaultPath()}; }

std::vector<TSongListing> ListSongs(const TSongListPlaces& places, const QStringList& players, const TRefused& refused,
                                    const std::function<bool()>& stopped)
{
    TSongCache cache(places.CachePath, SongListVersion());
    cache.Load();
    const TRefused tell = refused ? refused : [](const QString& path, const QString& reason) {
        std::fprintf(stderr, "Grip Rhythm: %s is not listed: %s\n", EscapeControls(path.toStdString()).c_str(),
                     EscapeControls(reason.toStdString()).c_str());
    };
    const std::vector<TListedSong> files = ListSongFiles(FindSongFiles(places.Folders), cache, DescribeSong, tell, stopped);
    // The cache only spares work: a listing it cannot keep is still whole.
    cache.Save();
    const QHash<QString, THitRates> rates = HitRatesBySong(ReadRecordFiles(places.RecordPath).Records, players);

    std::vector<TSongListing> songs;
    songs.reserve(files.size());
    for (const TListedSong& file : files)
        songs.push_back({file.Path, file.Facts.Name, file.Facts.Seconds, file.Facts.Balls,
                         rates.value(QFileInfo(file.Path).fileName())});
    std::sort(songs.begin(), songs.end(), [](const TSongListing& a, const TSongListing& b) {
        const int byName = a.Name.compare(b.Name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a.Path < b.Path;
    });
    return songs;
}

TSongLibrary::TSongLibrary(QObject* parent) : QObject(parent) {}

TSongLibrary::~TSongLibrary()
{
    if (worker_) {
        worker_->disconnect(this);
        worker_->requestInterruption();
        worker_->wait();
        delete worker_;
    }
}

void TSongLibrary::Refresh(const QStringList& players)
{
    players_ = players;
    if (worker_)
        again_ = true;
    else
        Begin();
}

void TSongLibrary::Begin()
{
    if (!Places)
        Places = TSongListPlaces::Default();
    // The listing crosses from the worker to the window thread under a lock of its own: the
    // finished signal orders the two as well, but only inside Qt, where a race checker cannot
    // see it.
    struct TResult {
        std::mutex Lock;
        std::vector<TSongListing> Songs;
    };
    auto result = std::make_shared<TResult>();
    worker_ = QThread::create([result, places = *Places, players = players_] {
        // Nothing thrown may leave the thread; a listing that failed lists nothing.
        try {
            std::vector<TSongListing> songs =
                ListSongs(places, players, {}, [] { return QThread::currentThread()->isInterruptionRequested(); });
            const std::lock_guard<std::mutex> hold(result->Lock);
            result->Songs = std::move(songs);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "Grip Rhythm: the songs could not be listed: %s\n", e.what());
        }
    });
    connect(worker_, &QThread::finished, this, [this, result] {
        worker_->deleteLater();
        worker_ = nullptr;
        {
            const std::lock_guard<std::mutex> hold(result->Lock);
            songs_ = std::move(result->Songs);
        }
        if (again_) {
            again_ = false;
            Begin();
        }
        OnListed();
    });
    worker_->start(QThread::LowPriority);
}
