#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class TPipeLine;
class TPrize;

// The course of one player's grip as its readings come: the level, the highest level since
// the ball was last released, and when the level last rose. A grip passes through the light
// steps on its way to a hard one, so it counts as light only once it has stopped rising there.
class TGripCourse {
public:
    void Take(std::int32_t level, std::int64_t nowUs);
    // Forgets the grip under way, as a new game begins.
    void Clear() { *this = TGripCourse(); }

    std::int32_t Level() const { return level_; }
    std::int32_t Peak() const { return peak_; }
    // The grip peaks within steps 1 and 2: it has stayed there LightSettleMs without rising,
    // or is easing from there at this moment.
    bool Light(std::int64_t nowUs) const;

    // Longer than the keys' and a ball's gap between reports, shorter than a light grip.
    static constexpr int LightSettleMs = 20;

private:
    std::int32_t level_ = 0;
    std::int32_t peak_ = 0;
    std::int64_t risenUs_ = 0;
    std::optional<std::int64_t> easedUs_;
};

// How fast the song position moves, measured from where the lanes were moved and when; it
// turns a ball's distance from the mark into milliseconds whatever the tempo and Melody Speed.
class TSongPace {
public:
    void Sample(std::int32_t position, std::int64_t nowUs);
    // The song stopped or jumped: what comes next is not measured against what came before.
    // The last pace stays known until a new one is measured.
    void Break() { samples_.clear(); }
    void Forget();
    // Song positions a millisecond; none until the song has moved for a while.
    std::optional<double> PositionsPerMs() const { return pace_; }

    static constexpr int SpanMs = 250;

private:
    struct TSample {
        std::int32_t Position;
        std::int64_t Us;
    };
    std::vector<TSample> samples_;
    std::optional<double> pace_;
};

// One lane's colour balls judged as the grip's readings come instead of on the frames: each
// is judged once, hit at the first moment inside the mark's window that the grip does what its
// colour asks for, and missed when it leaves the window unhit. Chain balls and stools are left
// to the frames. The hit credits the scoring the lane's mark credits, and tells it how far
// from the ball's moment at the mark it came.
class TMomentJudge {
public:
    explicit TMomentJudge(TPipeLine& lane) : lane_(lane) {}

    // A new layout, or judging by the moment taken up anew: the balls a frame has judged
    // already stay judged.
    void Reset();
    // A reading of the grip the lane's mark judges against: a ball inside the window that it
    // asks for is hit now. pxPerMs is the balls' speed, when known.
    void Meet(const TGripCourse& grip, std::int64_t nowUs, std::optional<double> pxPerMs);
    // The balls have moved: those that came into the window meet the grip as it stands, and
    // those that left it unhit are missed.
    void Moved(const TGripCourse& grip, std::int64_t nowUs, std::optional<double> pxPerMs);

    // Whether the grip does now what the ball's colour asks for; never for chains and stools.
    static bool Wants(const TPrize& ball, const TGripCourse& grip, std::int64_t nowUs);
    // Balls this judge takes; the rest stay the frames'.
    static bool Takes(const TPrize& ball);

private:
    enum class TState : std::uint8_t { Coming, Inside, Done };

    bool Inside(const TPrize& ball) const;
    void MeetInside(size_t i, const TGripCourse& grip, std::int64_t nowUs, std::optional<double> pxPerMs);
    void Hit(TPrize& ball, std::optional<double> pxPerMs);
    void Miss(TPrize& ball);
    void Fit();

    TPipeLine& lane_;
    std::vector<TState> states_;
};
