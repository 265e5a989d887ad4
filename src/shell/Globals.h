#pragma once

class TCombo;
class TExplode;
class TGripGame;
class TJvHidDevice;
class TMarker;
class TOk;
class TPercentag;
class TStressValueOne;
class TStressValueTwo;

// The program-wide references: the game the core's start-up built, the objects reached through
// it and the grip device last found. Each is none until start-up has made it, and none again
// once the core is gone.
TGripGame* GripGame();
TStressValueOne* PlayerOneStressValue();
TStressValueTwo* PlayerTwoStressValue();
TJvHidDevice* GripDevice();
TMarker* PlayerOneMarker();
TCombo* PlayerOneCombo();
TPercentag* PlayerOnePercentage();
TExplode* SharedExplode();
TOk* SharedOk();
