#pragma once

// Every image the game looks up, the store it is looked up in and the number of patterns the
// game draws from it. The generator draws exactly these; the data checks read them back.

#include <array>
#include <string_view>

namespace art {

enum class TStore { Balls, Context, Effect, Fixed, Gesture, Animation };

struct TStoreFile {
    TStore Store;
    std::string_view FileName;
};

inline constexpr std::array<TStoreFile, 6> StoreFiles = {{
    {TStore::Animation, "Animation.dxg"},
    {TStore::Balls, "balls.dxg"},
    {TStore::Context, "Context.dxg"},
    {TStore::Effect, "Effect.dxg"},
    {TStore::Fixed, "FixedBmp.dxg"},
    {TStore::Gesture, "Gesture.dxg"},
}};

struct TCatalogueEntry {
    TStore Store;
    std::string_view Name;
    int Patterns;
};

inline constexpr std::array<TCatalogueEntry, 34> Catalogue = {{
    {TStore::Balls, "blue", 1},
    {TStore::Balls, "yellow", 1},
    {TStore::Balls, "red", 1},
    {TStore::Balls, "unbroken", 1},
    {TStore::Balls, "stool", 1},
    {TStore::Context, "ok", 1},
    {TStore::Context, "score", 10},
    {TStore::Context, "combo", 1},
    {TStore::Context, "qualified1", 10},
    {TStore::Context, "percentsign", 1},
    {TStore::Context, "songname", 1},
    {TStore::Context, "qualifiedrate", 1},
    {TStore::Effect, "explode", 2},
    {TStore::Fixed, "detect", 1},
    {TStore::Fixed, "Rule1P", 1},
    {TStore::Fixed, "Rule2P", 1},
    {TStore::Fixed, "pipeback1p", 1},
    {TStore::Fixed, "pipeback2p", 2},
    {TStore::Fixed, "sunshadeleft", 1},
    {TStore::Fixed, "sunshaderight", 1},
    {TStore::Fixed, "meter1p", 1},
    {TStore::Fixed, "meter2p", 1},
    {TStore::Fixed, "stratum", 6},
    {TStore::Fixed, "gesture", 3},
    {TStore::Fixed, "gray", 1},
    {TStore::Fixed, "Back1p", 2},
    {TStore::Fixed, "Back2P", 1},
    {TStore::Gesture, "idle", 1},
    {TStore::Gesture, "gesture", 3},
    {TStore::Animation, "jump1p", 6},
    {TStore::Animation, "jump2p", 6},
    {TStore::Animation, "cube", 6},
    {TStore::Animation, "cylinder", 6},
    {TStore::Animation, "tomoto", 9},
}};

} // namespace art
