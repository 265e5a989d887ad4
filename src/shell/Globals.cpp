#include "shell/Globals.h"

TGripGame* GripGame = nullptr;
TStressValueOne* PlayerOneStressValue = nullptr;
TStressValueTwo* PlayerTwoStressValue = nullptr;
TJvHidDevice* GripDevice = nullptr;
TMarker* PlayerOneMarker = nullptr;
TCombo* PlayerOneCombo = nullptr;
TPercentag* PlayerOnePercentage = nullptr;
TExplode* SharedExplode = nullptr;
TOk* SharedOk = nullptr;
bool RegionApplied = false;
std::int32_t LastSongPosition = 0;
