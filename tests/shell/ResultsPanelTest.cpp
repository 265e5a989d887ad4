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

// Every figure on the picture: each player's jumping figure and toys, score, hit rate and combo.
static std::vector<QRect> FigureAreas(const TGripGame& game)
{
    std::vector<const TSprite*> sprites;
    for (const TPlayerScreen* p : {static_cast<const TPlayerScreen*>(game.PlayerOne), static_cast<const TPlayerScreen*>(game.PlayerTwo)}) {
        sprites.push_back(p->Figures->Figure);
        sprites.insert(sprites.end(), p->Figures->Toys.begin(), p->Figures->Toys.end());
        sprites.insert(sprites.end(), p->Marker->Digits.begin(), p->Marker->Digits.end());
        sprites.insert(sprites.end(), {p->Percentage->Tens, p->Percentage->Ones, p->Percentage->Sign, p->Combo->Title,
                                       p->Combo->Value->Tens, p->Combo->Value->Ones});
    }
    std::vector<QRect> areas;
    for (const TSprite* s : sprites)
        if (s->Visible)
            areas.emplace_back(s->BoundingRect().Left, s->BoundingRect().Top, s->Width, s->Height);
    return areas;
}

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
        h.PressStart();
        for (int ms = 0; ms < 400'000 && h.Playing(); ++ms)
            h.Step();
        h.Frame();
        const std::vector<QRect> plates = h.Screen().Results.Areas(), figures = FigureAreas(*h.Game());
        ASSERT_EQ(plates.size(), twoBalls ? 2u : 1u);
        ASSERT_GT(figures.size(), 10u);
        const QRect hint = h.Screen().Notices.Bounds();
        EXPECT_EQ(hint.isEmpty(), twoBalls) << "the keys hint is up without a ball";
        for (const QRect& figure : figures)
            EXPECT_FALSE(hint.intersects(figure)) << "the hint over " << figure.x() << "," << figure.y();
        for (const QRect& plate : plates) {
            EXPECT_FALSE(plate.intersects(hint));
            for (const QRect& figure : figures)
                EXPECT_FALSE(plate.intersects(figure)) << plate.y() << " over " << figure.x() << "," << figure.y();
        }

        h.Screen().OpenSongList();
        h.Frame();
        EXPECT_FALSE(h.Screen().Results.Up());
        EXPECT_TRUE(h.Core().Training->Results().isEmpty());
    }
}
