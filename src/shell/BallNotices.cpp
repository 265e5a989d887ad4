#include "shell/BallNotices.h"

#include "game/GripGame.h"
#include "shell/SurfaceNotices.h"

void ShowBallNotices(const TGripGame& game, TSurfaceNotices& notices)
{
    if (game.PlayerOneStress()->Device)
        notices.Hide("keys");
    else
        notices.Show("keys", "No grip ball: hold J, K or L to grip (light, medium, hard).");

    const int player = game.PausedForBall();
    if (player < 0) {
        notices.Hide("unplugged");
        return;
    }
    const TStressValue* stress = player == 0 ? static_cast<const TStressValue*>(game.PlayerOneStress())
                                             : game.PlayerTwoStress();
    const QString who = player == 0 ? "Player 1" : "Player 2";
    notices.Show("unplugged", stress->Device ? who + "'s ball is back: press Resume to go on."
                                             : who + "'s ball was unplugged: the game is paused. Plug it "
                                                     "back in, then press Resume.");
}
