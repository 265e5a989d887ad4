#include "game/StressValue.h"

#include "game/GripLevel.h"
#include "hid/HidDevice.h"

#include <algorithm>

namespace {

constexpr double kMarkPlacesOne[6][2] = {{346, 162}, {345, 152}, {344, 142}, {344, 132}, {345, 122}, {347, 112}};
constexpr double kMarkPlacesTwo[6][2] = {{340, 330}, {340, 320}, {340, 310}, {340, 300}, {340, 290}, {340, 280}};

// The game reads at most a report ID and eight data bytes.
constexpr int kReportBuffer = 9;

template <typename Places>
void MakeMarks(std::array<TStepMark*, 6>& marks, TLayerSlot layer, const Places& places)
{
    for (int i = 0; i < 6; ++i) {
        marks[size_t(i)] = new TStepMark(LayerEngine(layer), i);
        marks[size_t(i)]->SetPosition(places[i][0], places[i][1]);
    }
}

// Marks 0 .. level - 1 are lit, none for level 0 and all six for 6 or more.
std::int32_t LightMarks(std::array<TStepMark*, 6>& marks, std::int32_t value)
{
    const std::int32_t level = value <= 6 ? value : 6;
    for (TStepMark* mark : marks)
        mark->Visible = false;
    for (std::int32_t i = 0; i < level && i < 6; ++i)
        marks[size_t(i)]->Visible = true;
    return level;
}

void FreeMarks(std::array<TStepMark*, 6>& marks)
{
    for (auto it = marks.rbegin(); it != marks.rend(); ++it)
        delete *it;
}

} // namespace

void TStressValue::ReadDevice()
{
    ReadForces([this](std::uint8_t force) { Take(force, FitForce ? FitForce(force) : force); });
}

void TStressValue::ReadForces(const std::function<void(std::uint8_t force)>& take)
{
    if (!Device)
        return;
    // A device with longer reports is read only as far as the buffer goes.
    const int length = std::min<int>(Device->Caps().InputReportByteLength, kReportBuffer);
    for (int n = 0; n < MaxReportsPerRead; ++n) {
        std::uint8_t buffer[kReportBuffer] = {};
        std::uint32_t bytesRead = 0;
        HidCheck(Device->ReadQueuedReport(buffer, length, bytesRead));
        if (bytesRead == 0)
            return;
        take(buffer[1]);
    }
}

void TStressValue::Take(std::uint8_t force, std::uint8_t scaled)
{
    const std::int32_t reading = scaled / ForcePerLevel;
    if (OnForce)
        OnForce(force, reading);
    TakeReading(reading);
}

void TStressValue::TakeReading(std::int32_t reading)
{
    if (Easy) {
        SetLevel(reading);
        if (OnLevel)
            OnLevel(Level);
        return;
    }
    SetLevel(Armed ? reading : 0);
    if (reading == 0 || reading == 1)
        Armed = true;
    if (reading < LastReading)
        Armed = false;
    if (reading == LastReading) {
        ++RepeatCount;
        if (RepeatCount > 35)
            Armed = false;
    } else {
        RepeatCount = 0;
    }
    LastReading = reading;
    if (OnLevel)
        OnLevel(Level);
}

TStressValueOne::TStressValueOne() { MakeMarks(Marks, SlotLayerFive, kMarkPlacesOne); }

TStressValueOne::~TStressValueOne() { FreeMarks(Marks); }

void TStressValueOne::SetLevel(std::int32_t value) { Level = LightMarks(Marks, value); }

TStressValueTwo::TStressValueTwo() { MakeMarks(Marks, SlotLayerFour, kMarkPlacesTwo); }

TStressValueTwo::~TStressValueTwo() { FreeMarks(Marks); }

void TStressValueTwo::SetLevel(std::int32_t value) { Level = LightMarks(Marks, value); }

void TStressValueTwo::ShowAsCreated()
{
    Level = 0;
    for (TStepMark* mark : Marks)
        mark->Visible = true;
}
