#pragma once

#include <cstdint>

class TGripGame;
class TStressValueOne;
class TStressValueTwo;
class TJvHidDevice;
class TMarker;
class TCombo;
class TPercentag;
class TExplode;
class TOk;

// Program-wide references set during start-up.
extern TGripGame* GripGame;
extern TStressValueOne* PlayerOneStressValue;
extern TStressValueTwo* PlayerTwoStressValue;
extern TJvHidDevice* GripDevice;
extern TMarker* PlayerOneMarker;
extern TCombo* PlayerOneCombo;
extern TPercentag* PlayerOnePercentage;
extern TExplode* SharedExplode;
extern TOk* SharedOk;
extern bool RegionApplied;
extern std::int32_t LastSongPosition;
