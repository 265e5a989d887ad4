#include "game/KeyGrip.h"

#include "game/StressValue.h"
#include "platform/Clock.h"

namespace {

unsigned Bit(TGripKey key) { return 1u << static_cast<unsigned>(key); }

} // namespace

void TKeyGrip::Press(TGripKey key)
{
    if (!live_) {
        live_ = true;
        // The first reading is due at once: the key answers on the next poll.
        last_ = GameClock().NowMilliseconds() - ReportIntervalMs;
    }
    held_ |= Bit(key);
}

void TKeyGrip::Release(TGripKey key) { held_ &= ~Bit(key); }

void TKeyGrip::ReleaseAll() { held_ = 0; }

std::uint8_t TKeyGrip::HeldForce() const
{
    if (held_ & Bit(TGripKey::Hard))
        return HardForce;
    if (held_ & Bit(TGripKey::Medium))
        return MediumForce;
    if (held_ & Bit(TGripKey::Light))
        return LightForce;
    return 0;
}

std::uint8_t TKeyGrip::NextForce()
{
    const std::uint8_t target = HeldForce();
    if (target > force_)
        force_ = force_ < TouchForce ? TouchForce : target;
    else
        force_ = target;
    return force_;
}

void TKeyGrip::Feed(TStressValue& stress)
{
    if (!live_)
        return;
    const std::int64_t now = GameClock().NowMilliseconds();
    const std::int64_t due = (now - last_) / ReportIntervalMs;
    if (due <= 0)
        return;
    last_ += due * ReportIntervalMs;
    for (std::int64_t i = 0; i < due && i < MaxCatchUp; ++i)
        stress.TakeForce(NextForce());
}
