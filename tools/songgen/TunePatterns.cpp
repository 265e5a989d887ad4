#include "TunePatterns.h"

#include <map>
#include <sstream>
#include <stdexcept>

namespace {

struct TMetrePatterns {
    const char* metre;
    const char* role;
    const char* soft;
    const char* normal;
    const char* full;
};

// Two in a bar, three, four and the lilt of two dotted quarters: the rhythms a folk band or a
// small orchestra would give each.
const TMetrePatterns kPatterns[] = {
    {"4/4", "bass", "R...F...", "R..RF..F", "R.F.O.F."},
    {"4/4", "chords", "1.2.4.3.", "x...x.x.", "X.x.X.x."},
    {"4/4", "drums", "K:x...o... C:......o. R:o.o.o.o.", "K:X...x... S:..x...x. H:xoxoxoxo",
     "K:X..xX.x. S:..X...X. H:xxxxxxxx O:.......o"},
    {"3/4", "bass", "R.....", "R.-...", "R.-.F."},
    {"3/4", "chords", "1.2.4.", "--x.x.", "X.x.x."},
    {"3/4", "drums", "K:x..... R:..o.o.", "K:X..... S:..o.o. H:x.x.x.", "K:X..... S:..x.x. H:xoxoxo"},
    {"2/4", "bass", "R.F.", "R.F.", "R.F."},
    {"2/4", "chords", "x...", ".x.x", ".X.X"},
    {"2/4", "drums", "K:x... H:o.o.", "K:X... S:..x. H:xoxo", "K:X.X. S:.x.X H:xxxx"},
    {"6/8", "bass", "R..F..", "R..F..", "R.RF.F"},
    {"6/8", "chords", "123432", ".xx.xx", "X.xX.x"},
    {"6/8", "drums", "K:x..... H:o..o..", "K:X..... C:...x.. H:xoxxox", "K:X..x.. S:...X.. H:xxxxxx"},
};

const char* StyleName(EStyle style)
{
    return style == EStyle::Soft ? "soft" : style == EStyle::Full ? "full" : "normal";
}

std::string Lookup(const TTune& tune, const std::string& role, EStyle style)
{
    const std::string name = role + "." + StyleName(style);
    const auto own = tune.patterns.find(name);
    if (own != tune.patterns.end())
        return own->second;
    const std::string metre = std::to_string(tune.numerator) + "/" + std::to_string(tune.denominator);
    for (const TMetrePatterns& p : kPatterns)
        if (metre == p.metre && role == p.role)
            return style == EStyle::Soft ? p.soft : style == EStyle::Full ? p.full : p.normal;
    throw std::runtime_error("no " + name + " pattern for " + metre + ": the tune needs a line \"pattern " + name + " ...\"");
}

void CheckSlots(const TTune& tune, const std::string& name, const std::string& slots)
{
    if (slots.empty() || tune.BarTicks() % slots.size() != 0)
        throw std::runtime_error("the " + name + " pattern \"" + slots + "\" does not share the bar evenly");
}

} // namespace

std::string Pattern(const TTune& tune, const std::string& role, EStyle style)
{
    std::string slots;
    for (char c : Lookup(tune, role, style))
        if (c != ' ' && c != '\t')
            slots += c;
    CheckSlots(tune, role, slots);
    return slots;
}

std::vector<TDrumLane> DrumPattern(const TTune& tune, EStyle style)
{
    static const std::map<char, int> kKit = {{'K', 36}, {'S', 38}, {'C', 37}, {'H', 42}, {'P', 44}, {'O', 46},
                                             {'R', 51}, {'B', 53}, {'T', 54}, {'Y', 49}};
    std::vector<TDrumLane> lanes;
    std::stringstream stream(Lookup(tune, "drums", style));
    std::string word;
    while (stream >> word) {
        const auto drum = word.size() > 2 && word[1] == ':' ? kKit.find(word[0]) : kKit.end();
        if (drum == kKit.end())
            throw std::runtime_error("a drum lane is K:slots with a drum of KSCHPORBTY: " + word);
        TDrumLane lane{drum->second, word.substr(2)};
        CheckSlots(tune, "drums", lane.slots);
        for (char c : lane.slots)
            if (c != '.' && !DrumVelocity(c))
                throw std::runtime_error("a drum slot is X, x, o or \".\": " + word);
        lanes.push_back(lane);
    }
    return lanes;
}

int DrumVelocity(char slot)
{
    return slot == 'X' ? 110 : slot == 'x' ? 86 : slot == 'o' ? 62 : 0;
}
