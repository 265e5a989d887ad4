#include "game/Acrobatics.h"

#include "game/GameRandom.h"

namespace {

const char* const kToyImages[3] = {"cube", "cylinder", "tomoto"};

} // namespace

TAcrobatics::TAcrobatics() { Toys.reserve(3); }

TAcrobatics::~TAcrobatics()
{
    for (auto it = Toys.rbegin(); it != Toys.rend(); ++it)
        delete *it;
    delete Figure;
    delete Scenery;
}

void TAcrobatics::Build(const TPlaces& places)
{
    Figure = new TPrincipal(LayerEngine(SlotLayerThree), places.figureImage);
    Figure->SetPace(4);
    Figure->Setup(places.figureX, places.figureY);
    Figure->StopTimer();
    for (int i = 0; i < 3; ++i) {
        Toys.push_back(new TWebbitToy(LayerEngine(SlotLayerThree), kToyImages[i]));
        Toys.back()->SetPosition(places.toyX[i], places.toyY[i]);
    }
    for (int i = 0; i < 3; ++i) {
        const auto draw = static_cast<int>(GameRandom().Draw(static_cast<std::uint32_t>(5 - i)));
        Toys[static_cast<size_t>(i)]->SetPace(draw + i + 1);
        Toys[static_cast<size_t>(i)]->StopTimer();
    }
}

void TAcrobatics::Start()
{
    Figure->StartTimer();
    Scenery->StartTimer();
    for (TWebbitToy* toy : Toys)
        toy->StartTimer();
}

void TAcrobatics::Stop()
{
    Figure->StopTimer();
    for (TWebbitToy* toy : Toys)
        toy->StopTimer();
}

TAcrobaticsOne::TAcrobaticsOne()
{
    Scenery = new TBackSceneryOne(LayerEngine(SlotLayerTwo));
    Build(TPlaces{"jump1p", 30, -3, {115, 135, 205}, {0, -20, 0}});
}

TAcrobaticsTwo::TAcrobaticsTwo()
{
    Scenery = new TBackSceneryTwo(LayerEngine(SlotLayerTwo));
    Build(TPlaces{"jump2p", 30, 168, {115, 135, 205}, {170, 155, 170}});
}
