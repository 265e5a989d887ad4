#include "Arranger.h"

#include "ArrangeKit.h"

#include <algorithm>

namespace {

constexpr int kMelodyChannel = 0;
constexpr int kBassChannel = 1;
constexpr int kPianoChannel = 2;
constexpr int kStringsChannel = 3;
constexpr int kDrumChannel = 9;

enum EDrum {
    Kick = 36, Snare = 38, ClosedHat = 42, OpenHat = 46, Crash = 49, Ride = 51,
    LowTom = 45, MidTom = 47, HighTom = 50,
};

bool LastBarOf(const TBar& bar) { return bar.index == bar.sectionBars - 1; }

bool FinalBar(const TScore& score, const TBar& bar) { return &bar == &score.bars.back(); }

// The player takes its tempo map from track 0 and the debug form's piano roll shows track 0, so the
// conductor's events ride on the melody's track.
void Conduct(TMidiTrackWriter& track, const TScore& score)
{
    track.Tempo(0, kMicrosecondsPerBeat);
    track.TimeSignature(0, 4, 2);
    track.Meta(0, 0x59, {2, 0}); // D major
    const char* names[] = {"Intro", "Verse", "Pre-chorus", "Chorus", "Bridge", "Outro"};
    for (const TBar& bar : score.bars)
        if (bar.index == 0) {
            const std::string name = names[static_cast<int>(bar.section)];
            track.Meta(bar.start, 0x06, std::vector<std::uint8_t>(name.begin(), name.end()));
        }
}

TMidiTrackWriter Melody(const TScore& score)
{
    TMidiTrackWriter track("Melody");
    Conduct(track, score);
    Setup(track, kMelodyChannel, 80, 120, 64, 48); // square lead
    track.Controller(0, kMelodyChannel, 93, 24);
    for (const TMelodyNote& note : score.melody) {
        const auto bar = std::find_if(score.bars.begin(), score.bars.end(),
            [&](const TBar& b) { return note.tick >= b.start && note.tick < b.start + kTicksPerBar; });
        const bool loud = bar != score.bars.end() && bar->section == ESection::Chorus;
        const bool onBeat = note.tick % kTicksPerBeat == 0;
        track.Note(note.tick, note.length, kMelodyChannel, note.key,
                   Humanise(note.tick, note.key, (loud ? 100 : 90) + (onBeat ? 8 : 0)));
    }
    return track;
}

TMidiTrackWriter Bass(const TScore& score)
{
    TMidiTrackWriter track("Bass");
    Setup(track, kBassChannel, 33, 108, 64, 12); // finger bass
    for (const TBar& bar : score.bars) {
        const int root = BassKey(bar.chord);
        const int fifth = BassKey(bar.chord, 7);
        const std::uint32_t t = bar.start;
        auto note = [&](std::uint32_t at, std::uint32_t length, int key, int velocity) {
            track.Note(t + at, length, kBassChannel, key, Humanise(t + at, key, velocity));
        };
        if (FinalBar(score, bar)) {
            note(0, kTicksPerBar, root, 110);
            continue;
        }
        switch (bar.section) {
        case ESection::Intro:
            if (LastBarOf(bar))
                for (std::uint32_t e = 0; e < 8; ++e)
                    note(e * 50, 44, root, e % 2 ? 80 : 96);
            else
                note(0, 380, root, 96);
            break;
        case ESection::Verse:
            for (std::uint32_t e = 0; e < 8; ++e)
                note(e * 50, 44, e == 7 && LastBarOf(bar) ? fifth : root, e % 2 ? 78 : 96);
            break;
        case ESection::PreChorus:
            note(0, 92, root, 100);
            note(100, 92, root, 88);
            note(200, 92, fifth, 92);
            note(300, 92, root + 12, 90);
            break;
        case ESection::Chorus:
        case ESection::Outro:
            if (bar.section == ESection::Outro && bar.index == bar.sectionBars - 2) {
                note(0, kTicksPerBar - 8, root, 104);
                break;
            }
            for (std::uint32_t e = 0; e < 8; ++e)
                note(e * 50, 44, e == 6 ? root + 12 : root, e % 2 ? 84 : 104);
            break;
        case ESection::Bridge:
            note(0, 190, root, 92);
            note(200, 140, fifth, 84);
            note(350, 44, root, 78);
            break;
        }
    }
    return track;
}

TMidiTrackWriter Piano(const TScore& score)
{
    TMidiTrackWriter track("Chords");
    Setup(track, kPianoChannel, 0, 112, 44, 40); // grand piano
    for (const TBar& bar : score.bars) {
        const std::vector<int> keys = Voice(bar.chord, 55, 62, 3);
        const std::uint32_t t = bar.start;
        auto hit = [&](std::uint32_t at, std::uint32_t length, int velocity) {
            for (int key : keys)
                track.Note(t + at, length, kPianoChannel, key, Humanise(t + at, key, velocity));
        };
        if (FinalBar(score, bar)) {
            hit(0, kTicksPerBar, 100);
            continue;
        }
        switch (bar.section) {
        case ESection::Intro:
            if (LastBarOf(bar))
                for (std::uint32_t q = 0; q < 4; ++q)
                    hit(q * 100, 90, 70 + 6 * static_cast<int>(q));
            else
                hit(0, 390, 72);
            break;
        case ESection::Verse:
            hit(0, 140, 74);
            hit(150, 140, 66);
            hit(300, 90, 70);
            break;
        case ESection::PreChorus:
            for (std::uint32_t q = 0; q < 4; ++q)
                hit(q * 100, 90, q % 2 ? 70 : 80);
            break;
        case ESection::Chorus:
        case ESection::Outro:
            hit(0, 140, 88);
            hit(150, 140, 80);
            hit(300, 90, 84);
            break;
        case ESection::Bridge: {
            // Broken chord, up and back down, in eighths.
            const int pattern[] = {0, 1, 2, 1, 0, 1, 2, 1};
            for (std::uint32_t e = 0; e < 8; ++e) {
                const int key = keys[static_cast<std::size_t>(pattern[e])] + (e >= 4 ? 12 : 0);
                track.Note(t + e * 50, 96, kPianoChannel, key, Humanise(t + e * 50, key, e % 2 ? 62 : 72));
            }
            break;
        }
        }
    }
    return track;
}

TMidiTrackWriter Strings(const TScore& score)
{
    TMidiTrackWriter track("Strings");
    Setup(track, kStringsChannel, 48, 56, 84, 64); // string ensemble
    for (const TBar& bar : score.bars) {
        int velocity = 70;
        switch (bar.section) {
        case ESection::Intro: velocity = 64; break;
        case ESection::Verse: velocity = 60; break;
        case ESection::PreChorus: velocity = 74; break;
        case ESection::Chorus: velocity = 84; break;
        case ESection::Bridge: velocity = 80; break;
        case ESection::Outro: velocity = 88; break;
        }
        const std::vector<int> keys = Voice(bar.chord, 50, 57, 3);
        for (int key : keys)
            track.Note(bar.start, kTicksPerBar - 2, kStringsChannel, key, velocity);
        if (bar.section == ESection::Chorus || bar.section == ESection::Outro)
            track.Note(bar.start, kTicksPerBar - 2, kStringsChannel, keys.back() + 12, velocity - 10);
    }
    return track;
}

TMidiTrackWriter Drums(const TScore& score)
{
    TMidiTrackWriter track("Drums");
    Setup(track, kDrumChannel, -1, 124, 64, 28);
    for (std::size_t i = 0; i < score.bars.size(); ++i) {
        const TBar& bar = score.bars[i];
        const std::uint32_t t = bar.start;
        auto hit = [&](std::uint32_t at, int key, int velocity) {
            track.Note(t + at, 20, kDrumChannel, key, Humanise(t + at, key, velocity));
        };
        const bool sectionStart = bar.index == 0;
        const bool fill = LastBarOf(bar) && !FinalBar(score, bar);
        if (FinalBar(score, bar)) {
            hit(0, Crash, 118);
            hit(0, Kick, 118);
            continue;
        }
        if (sectionStart || (bar.section == ESection::Chorus && bar.index % 4 == 0))
            hit(0, Crash, bar.section == ESection::Verse ? 96 : 110);

        const std::uint32_t grooveEnd = fill ? 200 : kTicksPerBar;
        switch (bar.section) {
        case ESection::Intro:
            hit(0, Kick, 100);
            hit(200, Kick, 92);
            for (std::uint32_t q = 1; q < 4; q += 2)
                if (q * 100 < grooveEnd)
                    hit(q * 100, Snare, 90);
            for (std::uint32_t e = 0; e * 50 < grooveEnd; ++e)
                hit(e * 50, ClosedHat, e % 2 ? 56 : 72);
            break;
        case ESection::Verse:
            hit(0, Kick, 104);
            if (!fill) {
                hit(200, Kick, 96);
                hit(250, Kick, 80);
                hit(300, Snare, 100);
            }
            hit(100, Snare, 100);
            for (std::uint32_t e = 0; e * 50 < grooveEnd; ++e)
                hit(e * 50, ClosedHat, e % 2 ? 58 : 78);
            break;
        case ESection::PreChorus:
            for (std::uint32_t q = 0; q * 100 < grooveEnd; ++q) {
                hit(q * 100, Kick, 102);
                if (q % 2)
                    hit(q * 100, Snare, 104);
                hit(q * 100 + 50, OpenHat, 70);
            }
            break;
        case ESection::Chorus:
        case ESection::Outro:
            hit(0, Kick, 110);
            hit(150, Kick, 90);
            hit(100, Snare, 108);
            if (!fill) {
                hit(200, Kick, 104);
                hit(300, Snare, 108);
            }
            for (std::uint32_t e = 0; e * 50 < grooveEnd; ++e)
                hit(e * 50, Ride, e % 2 ? 70 : 88);
            break;
        case ESection::Bridge:
            // Half time: the snare only on beat three.
            hit(0, Kick, 96);
            if (!fill) {
                hit(250, Kick, 80);
                hit(200, Snare, 96);
            }
            for (std::uint32_t q = 0; q * 100 < grooveEnd; ++q)
                hit(q * 100, ClosedHat, 70);
            break;
        }
        if (fill) {
            // Sixteenths down the kit over the last two beats.
            const int kit[] = {Snare, Snare, HighTom, HighTom, MidTom, MidTom, LowTom, Kick};
            for (std::uint32_t s = 0; s < 8; ++s)
                hit(200 + s * 25, kit[s], 84 + static_cast<int>(s) * 4);
        }
    }
    return track;
}

} // namespace

std::vector<TMidiTrackWriter> ArrangeScore(const TScore& score)
{
    return {Melody(score), Bass(score), Piano(score), Strings(score), Drums(score)};
}
