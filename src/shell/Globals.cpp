#include "shell/Globals.h"

#include "core/GameCore.h"
#include "game/GripBall.h"
#include "game/GripGame.h"

namespace {

// What the game gives, or none while there is no game.
template <typename Part>
auto OfGame(Part part) -> decltype(part(*GripGame()))
{
    TGripGame* game = GripGame();
    return game ? part(*game) : nullptr;
}

} // namespace

TGripGame* GripGame() { return GameCore ? GameCore->Game() : nullptr; }

TStressValueOne* PlayerOneStressValue()
{
    return OfGame([](TGripGame& game) { return game.PlayerOneStress(); });
}

TStressValueTwo* PlayerTwoStressValue()
{
    return OfGame([](TGripGame& game) { return game.PlayerTwoStress(); });
}

TJvHidDevice* GripDevice() { return GameCore && GameCore->GripBall ? GameCore->GripBall->GripDevice : nullptr; }

TMarker* PlayerOneMarker()
{
    return OfGame([](TGripGame& game) { return game.PlayerOneMarker(); });
}

TCombo* PlayerOneCombo()
{
    return OfGame([](TGripGame& game) { return game.PlayerOneCombo(); });
}

TPercentag* PlayerOnePercentage()
{
    return OfGame([](TGripGame& game) { return game.PlayerOnePercentage(); });
}

TExplode* SharedExplode()
{
    return OfGame([](TGripGame& game) { return game.Explode(); });
}

TOk* SharedOk()
{
    return OfGame([](TGripGame& game) { return game.Ok(); });
}
