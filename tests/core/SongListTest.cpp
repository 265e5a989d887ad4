// The song library: what is listed from the folders, what is left out and why, and when a
// listing reads the files again.
#include "core/SongList.h"
#include "training/GameRecord.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString Shipped = QStringLiteral(GRIP_BIN_DIR "songs/");

class TLibraryTree {
public:
    TLibraryTree()
    {
        QDir(dir_.path()).mkpath("songs/more");
        EXPECT_TRUE(QFile::copy(Shipped + "greensleeves.mid", Songs("greensleeves.mid")));
        EXPECT_TRUE(QFile::copy(Shipped + "ode_to_joy.mid", Songs("more/joy.MID")));
        QFile broken(Songs("broken.mid"));
        EXPECT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write("not a song at all");
        broken.close();
        // The same song by a second name, and the whole folder a second time through a link.
        EXPECT_TRUE(QFile::link(Songs("greensleeves.mid"), Songs("again.mid")));
        EXPECT_TRUE(QFile::link(Songs(""), dir_.filePath("linked")));
        places_.Folders = {{Songs(""), 2, {"*.mid"}}, {dir_.filePath("linked"), 2, {"*.mid"}}};
        places_.CachePath = dir_.filePath("cache/songs.json");
        places_.RecordPath = dir_.filePath("training.csv");
    }
    QString Songs(const QString& name) const { return dir_.filePath("songs/" + name); }
    const TSongListPlaces& Places() const { return places_; }

    // One listing through the cache as the game makes it, counting the files read.
    std::vector<TListedSong> List(int& described, QStringList* refused = nullptr) const
    {
        TSongCache cache(places_.CachePath, SongListVersion());
        cache.Load();
        described = 0;
        const auto songs = ListSongFiles(
            FindSongFiles(places_.Folders), cache,
            [&](const QString& path) {
                ++described;
                return DescribeSong(path);
            },
            [&](const QString& path, const QString& reason) {
                if (refused)
                    refused->append(QFileInfo(path).fileName() + ": " + reason);
            });
        EXPECT_TRUE(cache.Save());
        return songs;
    }

private:
    QTemporaryDir dir_;
    TSongListPlaces places_;
};

void Touch(const QString& path, qint64 secondsLater)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(secondsLater), QFileDevice::FileModificationTime));
}

} // namespace

TEST(SongList, EachSongOnceByItsRealPathAndTheFileThatIsNoneLeftOutWithItsReason)
{
    TLibraryTree tree;
    QStringList refused;
    const std::vector<TSongListing> songs =
        ListSongs(tree.Places(), {}, [&](const QString& path, const QString& reason) {
            refused.append(QFileInfo(path).fileName() + ": " + reason);
        });
    ASSERT_EQ(songs.size(), 2u);
    EXPECT_EQ(songs[0].Name, "Greensleeves");
    EXPECT_EQ(songs[0].Path, QFileInfo(tree.Songs("greensleeves.mid")).canonicalFilePath());
    EXPECT_EQ(songs[1].Name, "Ode to Joy");
    // A pattern matches without regard to case, a folder a level down is looked in.
    EXPECT_EQ(QFileInfo(songs[1].Path).fileName(), "joy.MID");
    for (const TSongListing& song : songs) {
        EXPECT_GT(song.Seconds, 60) << song.Name.toStdString();
        EXPECT_LT(song.Seconds, 180) << song.Name.toStdString();
        EXPECT_GT(song.Balls, 20) << song.Name.toStdString();
        EXPECT_FALSE(song.Rates.Last);
    }
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].startsWith("broken.mid: ")) << refused[0].toStdString();
    EXPECT_GT(refused[0].size(), QString("broken.mid: ").size() + 5);
}

TEST(SongList, ASecondListingReadsNoFileUntilASongOrItsBeatMapChanges)
{
    TLibraryTree tree;
    int described = 0;
    QStringList refused;
    const auto first = tree.List(described, &refused);
    EXPECT_EQ(described, 3);
    ASSERT_EQ(first.size(), 2u);

    // The file that is no song is remembered as none, and still said.
    refused.clear();
    const auto second = tree.List(described, &refused);
    EXPECT_EQ(described, 0);
    EXPECT_EQ(refused.size(), 1);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].Facts.Name, first[0].Facts.Name);
    EXPECT_EQ(second[0].Facts.Balls, first[0].Facts.Balls);
    EXPECT_DOUBLE_EQ(second[0].Facts.Seconds, first[0].Facts.Seconds);

    Touch(tree.Songs("greensleeves.mid"), 5);
    tree.List(described);
    EXPECT_EQ(described, 1);

    // A beat map put beside a song is the one its balls come from: three balls and the closing line.
    QFile map(tree.Songs("more/joy.txt"));
    ASSERT_TRUE(map.open(QIODevice::WriteOnly));
    map.write("1:0:0\n1:2:0\n2:0:0\n3:0:0\n");
    map.close();
    auto withMap = tree.List(described);
    EXPECT_EQ(described, 1);
    ASSERT_EQ(withMap.size(), 2u);
    EXPECT_EQ(withMap[1].Facts.Balls, 3);

    // A listing stopped after its first file forgets nothing of the others.
    TSongCache cache(tree.Places().CachePath, SongListVersion());
    cache.Load();
    int looked = 0;
    EXPECT_EQ(ListSongFiles(FindSongFiles(tree.Places().Folders), cache, DescribeSong, {}, [&] { return looked++ > 0; }).size(), 1u);
    EXPECT_TRUE(cache.Save());
    tree.List(described);
    EXPECT_EQ(described, 0);
}

TEST(SongList, ADamagedOrForeignCacheIsReadAsNone)
{
    TLibraryTree tree;
    int described = 0;
    tree.List(described);
    for (const QByteArray& damage : {QByteArray("{\"version\":\"0.0.0-other\",\"songs\":{}}"), QByteArray("{\"vers"),
                                     QByteArray("[1,2,3]"), QByteArray("\0\xff garbage", 10)}) {
        QFile cache(tree.Places().CachePath);
        ASSERT_TRUE(cache.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cache.write(damage);
        cache.close();
        EXPECT_EQ(tree.List(described).size(), 2u);
        EXPECT_EQ(described, 3) << damage.toStdString();
    }
}

TEST(SongList, TheRecordGivesEachSongItsLastAndBestRate)
{
    TLibraryTree tree;
    QFile record(tree.Places().RecordPath);
    ASSERT_TRUE(record.open(QIODevice::WriteOnly));
    record.write((RecordHeader() + "\n").toUtf8());
    for (const auto& [song, balls, hit] : {std::tuple{"greensleeves.mid", 40, 30}, {"greensleeves.mid", 40, 36},
                                          {"greensleeves.mid", 0, 0}, {"greensleeves.mid", 40, 20}, {"other.mid", 10, 10}}) {
        TGameRecord r;
        r.Started = QDateTime::currentDateTime();
        r.Song = song;
        r.Input = "keyboard";
        r.Seconds = 30;
        r.Balls = balls;
        r.BallsHit = hit;
        record.write((RecordLine(r) + "\n").toUtf8());
    }
    record.close();
    const auto songs = ListSongs(tree.Places(), {}, [](const QString&, const QString&) {});
    ASSERT_EQ(songs.size(), 2u);
    // The game in which no ball was judged counts for neither.
    EXPECT_DOUBLE_EQ(songs[0].Rates.Last.value_or(-1), 0.5);
    EXPECT_DOUBLE_EQ(songs[0].Rates.Best.value_or(-1), 0.9);
    EXPECT_FALSE(songs[1].Rates.Best);
    // Games of no one named are no named player's.
    EXPECT_FALSE(ListSongs(tree.Places(), {"Ann"}, [](const QString&, const QString&) {})[0].Rates.Best);
}
