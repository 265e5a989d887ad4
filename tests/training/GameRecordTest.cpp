#include "training/GameRecord.h"

#include <gtest/gtest.h>

TEST(GameRecord, TimingGoesInTheLastTwoOfTheWholeColumnListAndReadsBack)
{
    TGameRecord r;
    r.Started = QDateTime::fromString("2026-12-09T14:00:00+00:00", Qt::ISODate);
    r.Song = "invincible.mid";
    r.Input = "keyboard";
    r.TimingMeanMs = -15.04;
    r.TimingSpreadMs = 11.18;
    const QString line = RecordLine(r);
    const QStringList fields = line.split(',');
    ASSERT_EQ(fields.size(), 27);
    EXPECT_EQ(fields.mid(19, 6), (QStringList{"", "", "game", "", "", ""}));
    EXPECT_EQ(fields.mid(25), (QStringList{"-15.0", "11.2"}));
    const std::optional<TGameRecord> back = ParseRecordLine(line);
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(*back->TimingMeanMs, -15.0);
    EXPECT_DOUBLE_EQ(*back->TimingSpreadMs, 11.2);
    EXPECT_FALSE(ParseRecordLine(line.chopped(5) + "x,1.0")) << "a mean that is no number";
    r.TimingMeanMs.reset();
    r.TimingSpreadMs.reset();
    EXPECT_TRUE(RecordLine(r).endsWith(",game,,,,,")) << "without timing both columns are empty";
}
