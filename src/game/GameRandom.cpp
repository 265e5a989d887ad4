#include "game/GameRandom.h"

TGameRandom& GameRandom()
{
    static TGameRandom generator;
    return generator;
}
