#pragma once

#include "game/Extrinsic.h"
#include "game/Scenery.h"

#include <vector>

// A player's jumping figure, its three toys and its scenery. Start sets them going, Stop
// halts figure and toys; the scenery is never stopped.
class TAcrobatics : public TBaseObject {
public:
    ~TAcrobatics() override;

    virtual void Start();
    virtual void Stop();

    TPrincipal* Figure = nullptr;
    std::vector<TWebbitToy*> Toys;
    TBackScenery* Scenery = nullptr;

protected:
    TAcrobatics();

    struct TPlaces {
        const char* figureImage;
        double figureX, figureY;
        double toyX[3], toyY[3];
    };
    // Builds figure and toys on layer Three, after the scenery. Each toy's pace comes from the
    // game random generator, so the paces are the same on every run.
    void Build(const TPlaces& places);
};

class TAcrobaticsOne : public TAcrobatics {
public:
    TAcrobaticsOne();
    void Start() override { TAcrobatics::Start(); }
    void Stop() override { TAcrobatics::Stop(); }
};

class TAcrobaticsTwo : public TAcrobatics {
public:
    TAcrobaticsTwo();
    void Start() override { TAcrobatics::Start(); }
    void Stop() override { TAcrobatics::Stop(); }
};
