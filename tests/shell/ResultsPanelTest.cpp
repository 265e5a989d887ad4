#include "support/GameHarness.h"

#include "core/GameCore.h"
#include "game/Acrobatics.h"
#include "game/Displays.h"
#include "game/GripGame.h"
#include "game/PlayerScreen.h"
#include "shell/ResultsPanel.h"
#include "shell/ScreenForm.h"
#include "training/Training.h"

#include <gtest/gtest.h>

namespace {

// Every figure on the picture: each player's jumping figure and toys, score, hit rate and combo.
std::vector<QRect> FigureAreas(const TGripGame& game)
{
    std::vector<const TSprite*> sprites;
    for (const TPlayerScreen* player : {static_cast<const TPlayerScreen*>(game.PlayerOne),
                                        static_cast<const TPlayerScreen*>(game.PlayerTwo)}) {
        sprites.push_back(player->Figures->Figure);
        sprites.insert(sprites.end(), player->Figures->Toys.begin(), player->Figures->Toys.end());
        sprites.insert(sprites.end(), player->Marker->Digits.begin(), player->Marker->Digits.end());
        const TPercentag& rate = *player->Percentage;
        const TCombo& combo = *player->Combo;
        sprites.insert(sprites.end(), {rate.Tens, rate.Ones, rate.Sign, combo.Title, combo.Value->Tens, combo.Value->Ones});
    }
    std::vector<QRect> areas;
    for (const TSprite* s : sprites)
        if (s->Visible) {
            const TRect r = s->BoundingRect();
            areas.emplace_back(r.Left, r.Top, r.Width(), r.Height());
        }
    return areas;
}

void PlaySongThrough(TGameHarness& h)
{
    h.PressStart();
    for (int ms = 0; ms < 400'000 && h.Playing(); ++ms)
        h.Step();
    ASSERT_FALSE(h.Playing());
    h.Frame();
}

} // namespace

TEST(ResultsPanel, EachPlayersPlateStandsClearOfTheFiguresAndTheKeysHintTillTheSongListOpens)
{
    for (const bool twoBalls : {false, true}) {
        SCOPED_TRACE(twoBalls ? "two balls" : "the keys");
        TGameHarness::TOptions options;
        options.PlugBall = false;
        TGameHarness h(options);
        if (twoBalls) {
            h.Bus().PlugGripBall("GR-0001");
            h.Bus().PlugGripBall("GR-0002");
        }
        PlaySongThrough(h);
        const TResultsPanel& panel = h.Screen().Results;
        const std::vector<QRect> plates = panel.Areas();
        ASSERT_EQ(plates.size(), twoBalls ? 2u : 1u);
        const QRect hint = h.Screen().Notices.Bounds();
        EXPECT_EQ(hint.isEmpty(), twoBalls) << "the keys hint is up without a ball";
        std::vector<QRect> taken = FigureAreas(*h.Game());
        ASSERT_GT(taken.size(), 10u);
        for (const QRect& plate : plates) {
            EXPECT_FALSE(plate.intersects(hint));
            for (const QRect& figure : taken)
                EXPECT_FALSE(plate.intersects(figure)) << plate.x() << "," << plate.y() << " over " << figure.x()
                                                       << "," << figure.y();
            taken.push_back(plate);
        }
        for (const QRect& figure : FigureAreas(*h.Game()))
            EXPECT_FALSE(hint.intersects(figure)) << "the hint over " << figure.x() << "," << figure.y();

        h.Screen().OpenSongList();
        h.Frame();
        EXPECT_FALSE(panel.Up());
        EXPECT_TRUE(h.Core().Training->Results().isEmpty());
    }
}
