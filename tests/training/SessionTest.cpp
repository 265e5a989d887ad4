// A session on the game clock's times: which song comes when, when it ends, what it came to.
#include "training/Session.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TGameRecord Line(const QString& song, const QString& name, int player = 1, int grips = 0)
{
    TGameRecord r;
    std::tie(r.Song, r.Name, r.Player, r.Grips, r.Balls, r.BallsHit, r.Seconds) =
        std::tuple(song, name, player, grips, 50, grips / 2, 60.0);
    return r;
}

const QDateTime kStarted(QDate(2026, 1, 2), QTime(18, 0), Qt::OffsetFromUTC, 3600);

} // namespace

TEST(Session, LeastPlayedComeFirstByThePlayersOwnLinesTiesByName)
{
    const QStringList paths{"/s/b.mid", "/s/C.mid", "/s/a.mid", "/t/d.mid"};
    const std::vector<TGameRecord> records{Line("a.mid", "Ann"), Line("a.mid", "ann"), Line("b.mid", "Ann"),
                                           Line("d.mid", "Bob"), Line("d.mid", "Bob"), Line("d.mid", "Bob")};
    EXPECT_EQ(LeastPlayedFirst(paths, records, {"Ann"}), QStringList({"/s/C.mid", "/t/d.mid", "/s/b.mid", "/s/a.mid"}));
    EXPECT_EQ(LeastPlayedFirst(paths, records, {}), QStringList({"/s/C.mid", "/s/b.mid", "/s/a.mid", "/t/d.mid"}));
    // Marked songs alone, in the library's order; marks of songs no longer there count for none.
    EXPECT_EQ(SessionSongs(paths, {"/t/d.mid", "/gone.mid", "/s/b.mid"}, records, {"Ann"}),
              QStringList({"/s/b.mid", "/t/d.mid"}));
    EXPECT_EQ(SessionSongs(paths, {"/gone.mid"}, records, {"Ann"}), LeastPlayedFirst(paths, records, {"Ann"}));
}

TEST(Session, SongsFollowAfterARestAndTheSummaryAddsThemUp)
{
    TSession session;
    ASSERT_EQ(session.Begin({0, 3}, {"/s/one.mid", "/s/two.mid", "/s/three.mid"}, 1000, kStarted), "/s/one.mid");
    EXPECT_FALSE(session.Advance(500000));  // no rest before the song has ended
    // Player two's line is no part of the figures.
    session.SongEnded(61000, {Line("one.mid", "", 1, 40), Line("one.mid", "", 2, 99)});
    EXPECT_EQ(session.Started(), kStarted);
    EXPECT_EQ(session.Text(90500).toStdString(), "Rest: the next song, two, starts in 1 s.");
    EXPECT_FALSE(session.Advance(90999));
    EXPECT_EQ(session.Advance(91000), "/s/two.mid");
    session.SongEnded(151000, {Line("two.mid", "", 1, 20)});
    EXPECT_EQ(session.Advance(181000), "/s/three.mid");
    session.SongEnded(241000, {Line("three.mid", "", 1, 10)});
    EXPECT_EQ(session.State(), TSession::EState::Ended);
    EXPECT_FALSE(session.Started() || session.Advance(999000));
    EXPECT_EQ(session.Text(241000).toStdString(),
              "Session over: 3 songs in 4:00 (3:00 of song played), 70 grips, 35 of 150 balls hit.");
}

TEST(Session, ATimedSessionEndsAfterTheSongUnderWayAndComesRoundTheSongsAgain)
{
    TSession session;
    ASSERT_EQ(session.Begin({15, 0}, {"/s/one.mid", "/s/two.mid"}, 0, kStarted), "/s/one.mid");
    session.SongEnded(400000, {Line("one.mid", "")});
    EXPECT_EQ(session.Advance(430000), "/s/two.mid");
    session.SongEnded(800000, {Line("two.mid", "")});
    EXPECT_EQ(session.Advance(830000), "/s/one.mid");
    // The time is up at 900 s, while this song plays: it is played out, and no rest follows.
    session.SongEnded(1230000, {Line("one.mid", "")});
    EXPECT_EQ(session.State(), TSession::EState::Ended);
    EXPECT_EQ(session.Summary().Songs, 3);
    EXPECT_DOUBLE_EQ(session.Summary().Seconds, 1230);
}
