#include "shell/Globals.h"

#include "game/GripBall.h"
#include "game/GripGame.h"
#include "shell/Datas.h"

TGripGame* GripGame() { return Datas ? Datas->Game() : nullptr; }

TStressValueOne* PlayerOneStressValue()
{
    TGripGame* game = GripGame();
    return game ? game->PlayerOneStress() : nullptr;
}

TStressValueTwo* PlayerTwoStressValue()
{
    TGripGame* game = GripGame();
    return game ? game->PlayerTwoStress() : nullptr;
}

TJvHidDevice* GripDevice() { return Datas && Datas->GripBall ? Datas->GripBall->GripDevice : nullptr; }

TMarker* PlayerOneMarker()
{
    TGripGame* game = GripGame();
    return game ? game->PlayerOneMarker() : nullptr;
}

TCombo* PlayerOneCombo()
{
    TGripGame* game = GripGame();
    return game ? game->PlayerOneCombo() : nullptr;
}

TPercentag* PlayerOnePercentage()
{
    TGripGame* game = GripGame();
    return game ? game->PlayerOnePercentage() : nullptr;
}

TExplode* SharedExplode()
{
    TGripGame* game = GripGame();
    return game ? game->Explode() : nullptr;
}

TOk* SharedOk()
{
    TGripGame* game = GripGame();
    return game ? game->Ok() : nullptr;
}
