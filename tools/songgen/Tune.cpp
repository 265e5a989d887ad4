#include "Tune.h"

#include <sstream>
#include <stdexcept>

namespace {

// The whole text as a number.
double Decimal(const std::string& text)
{
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::logic_error&) {
    }
    if (used == 0 || used != text.size())
        throw std::runtime_error("not a number: " + text);
    return value;
}

int Number(const std::string& text)
{
    const double value = Decimal(text);
    if (value != static_cast<int>(value))
        throw std::runtime_error("not a whole number: " + text);
    return static_cast<int>(value);
}

double Tempo(const std::string& text)
{
    const double value = Decimal(text);
    if (value < 20 || value > 300)
        throw std::runtime_error("a tempo is 20 to 300 quarter notes a minute: " + text);
    return value;
}

class TTuneReader {
public:
    TTune Read(const std::string& text)
    {
        std::stringstream stream(text);
        std::string line;
        int number = 0;
        while (std::getline(stream, line)) {
            ++number;
            // Sharps use "#", so only a whole line is a comment.
            if (const std::size_t first = line.find_first_not_of(" \t"); first != std::string::npos && line[first] == '#')
                continue;
            const std::vector<std::string> words = Words(line);
            if (words.empty())
                continue;
            const std::string& keyword = words[0];
            std::string rest = line.substr(line.find(keyword) + keyword.size());
            rest.erase(0, rest.find_first_not_of(" \t"));
            try {
                Line(keyword, rest);
            } catch (const std::exception& e) {
                throw std::runtime_error("line " + std::to_string(number) + ": " + e.what());
            }
        }
        CloseSection();
        if (tune_.title.empty() || tune_.tempo == 0 || tune_.key.empty() || unit_ == 0)
            throw std::runtime_error("a tune needs its title, tempo, key and unit");
        if (tune_.form.empty())
            throw std::runtime_error("a tune needs its form");
        for (const TFormItem& item : tune_.form)
            tune_.Section(item.section);
        return tune_;
    }

private:
    void Line(const std::string& keyword, const std::string& rest)
    {
        const std::vector<std::string> words = Words(rest);
        const auto one = [&] {
            if (words.size() != 1)
                throw std::runtime_error(keyword + " takes one value");
            return words[0];
        };
        if (keyword == "title" || keyword == "composer") {
            (keyword == "title" ? tune_.title : tune_.composer) = rest.substr(0, rest.find_last_not_of(" \t\r") + 1);
        } else if (keyword == "metre") {
            const std::string metre = one();
            const std::size_t slash = metre.find('/');
            tune_.numerator = Number(metre.substr(0, slash));
            tune_.denominator = slash == std::string::npos ? 0 : Number(metre.substr(slash + 1));
            if (tune_.numerator < 1 || tune_.numerator > 12 || (tune_.denominator != 2 && tune_.denominator != 4 && tune_.denominator != 8))
                throw std::runtime_error("unknown metre " + metre);
        } else if (keyword == "tempo") {
            tune_.tempo = Tempo(one());
        } else if (keyword == "key") {
            tune_.key = one();
            if (ParseChord(tune_.key).intervals.size() != 3 || ParseChord(tune_.key).intervals[1] == 5)
                throw std::runtime_error("a key is major (\"G\") or minor (\"Em\"): " + tune_.key);
        } else if (keyword == "unit") {
            unit_ = Number(one());
            if (unit_ < 1 || 4 * kTuneDivision % static_cast<std::uint32_t>(unit_) != 0)
                throw std::runtime_error("the unit must divide a whole note: " + words[0]);
        } else if (keyword == "parts") {
            for (const std::string& word : words) {
                const std::size_t equals = word.find('=');
                const int program = equals == std::string::npos ? -1 : Number(word.substr(equals + 1));
                if (program < 0 || program > 127)
                    throw std::runtime_error("a part is name=program (0 to 127): " + word);
                tune_.programs[word.substr(0, equals)] = program;
            }
        } else if (keyword == "pattern") {
            if (words.empty())
                throw std::runtime_error("a pattern needs its name");
            tune_.patterns[words[0]] = rest.substr(rest.find(words[0]) + words[0].size());
        } else if (keyword == "section") {
            CloseSection();
            section_ = TTuneSection{one(), 0, {}, {}};
            open_ = true;
        } else if (keyword == "chords") {
            for (const std::string& bar : Split(Open(rest), '|'))
                ChordBar(bar);
        } else if (keyword == "melody") {
            for (const std::string& bar : Split(Open(rest), '|'))
                MelodyBar(bar);
        } else if (keyword == "pickup") {
            Open(rest);
            if (!pickup_.empty())
                throw std::runtime_error("one pickup a section");
            pickup_ = rest;
        } else if (keyword == "form") {
            for (const std::string& word : words)
                tune_.form.push_back(FormItem(word));
        } else {
            throw std::runtime_error("unknown keyword " + keyword);
        }
    }

    const std::string& Open(const std::string& rest)
    {
        if (!open_)
            throw std::runtime_error("chords, melody and pickup belong to a section");
        if (unit_ == 0)
            throw std::runtime_error("the unit comes before the first section");
        return rest;
    }

    std::uint32_t UnitTicks() const { return 4 * kTuneDivision / static_cast<std::uint32_t>(unit_); }

    void ChordBar(const std::string& text)
    {
        const std::vector<std::string> symbols = Words(text);
        const std::uint32_t bar = tune_.BarTicks();
        if (symbols.empty() || bar % symbols.size() != 0)
            throw std::runtime_error("a bar of chords shares the bar evenly: |" + text + "|");
        const std::uint32_t start = static_cast<std::uint32_t>(chordBars_) * bar;
        const std::uint32_t share = bar / static_cast<std::uint32_t>(symbols.size());
        for (std::size_t i = 0; i < symbols.size(); ++i) {
            const TChord chord = ParseChord(symbols[i]);
            const std::uint32_t at = start + static_cast<std::uint32_t>(i) * share;
            // The same chord again holds on.
            if (!section_.chords.empty() && section_.chords.back().chord.name == chord.name && section_.chords.back().end == at)
                section_.chords.back().end = at + share;
            else
                section_.chords.push_back({at, at + share, chord});
        }
        ++chordBars_;
    }

    // Tokens "KEY/units", "-/units" (a rest), "+/units" (the note before held on) and "-" alone
    // (a rest to the bar's end), from tick on; returns where they end.
    std::uint32_t Notes(const std::string& text, std::int64_t from, std::uint32_t fill)
    {
        std::uint32_t used = 0;
        for (const std::string& token : Words(text)) {
            if (token == "-") {
                if (fill == 0 || used > fill)
                    throw std::runtime_error("a rest to the bar's end in a bar already full: " + text);
                used = fill;
                continue;
            }
            const std::size_t slash = token.find('/');
            if (slash == std::string::npos)
                throw std::runtime_error("a note is KEY/units: " + token);
            const int units = Number(token.substr(slash + 1));
            if (units < 1)
                throw std::runtime_error("a note lasts at least one unit: " + token);
            const std::uint32_t ticks = static_cast<std::uint32_t>(units) * UnitTicks();
            const std::string pitch = token.substr(0, slash);
            const std::int32_t at = static_cast<std::int32_t>(from + used);
            if (pitch == "+") {
                if (section_.melody.empty() || section_.melody.back().tick + std::int64_t(section_.melody.back().length) != at)
                    throw std::runtime_error("nothing sounds to be held on at " + token);
                section_.melody.back().length += ticks;
            } else if (pitch != "-") {
                section_.melody.push_back({at, ticks, ParseKey(pitch)});
            }
            used += ticks;
        }
        return used;
    }

    void MelodyBar(const std::string& text)
    {
        const std::uint32_t bar = tune_.BarTicks();
        if (Notes(text, std::int64_t(melodyBars_) * bar, bar) != bar)
            throw std::runtime_error("a bar of melody fills its bar exactly: |" + text + "|");
        ++melodyBars_;
    }

    void CloseSection()
    {
        if (!open_)
            return;
        if (chordBars_ == 0 || chordBars_ != melodyBars_)
            throw std::runtime_error("section " + section_.name + " has " + std::to_string(chordBars_) + " bars of chords and "
                                     + std::to_string(melodyBars_) + " of melody");
        section_.bars = chordBars_;
        if (!pickup_.empty()) {
            // The pickup ends where the section begins, so it is read once for its length.
            std::vector<TTuneNote> body = std::move(section_.melody);
            section_.melody.clear();
            const std::uint32_t length = Notes(pickup_, 0, 0);
            section_.melody.clear();
            Notes(pickup_, -std::int64_t(length), 0);
            section_.melody.insert(section_.melody.end(), body.begin(), body.end());
        }
        for (const TTuneSection& other : tune_.sections)
            if (other.name == section_.name)
                throw std::runtime_error("two sections named " + section_.name);
        tune_.sections.push_back(section_);
        open_ = false;
        chordBars_ = melodyBars_ = 0;
        pickup_.clear();
    }

    static TFormItem FormItem(const std::string& word)
    {
        TFormItem item;
        const std::size_t colon = word.find(':');
        item.section = word.substr(0, colon);
        if (colon == std::string::npos)
            return item;
        std::stringstream options(word.substr(colon + 1));
        std::string option;
        while (std::getline(options, option, ',')) {
            const std::size_t equals = option.find('=');
            const std::string name = option.substr(0, equals), value = equals == std::string::npos ? "" : option.substr(equals + 1);
            if ((equals == std::string::npos) != (name == "soft" || name == "full" || name == "counter" || name == "pad" || name == "up" || name == "down"))
                throw std::runtime_error("unknown option " + option + " in " + word);
            if (name == "soft" || name == "full")
                item.style = name == "soft" ? EStyle::Soft : EStyle::Full;
            else if (name == "counter" || name == "pad")
                (name == "counter" ? item.counter : item.pad) = true;
            else if (name == "up" || name == "down")
                item.octave += name == "up" ? 1 : -1;
            else if (name == "lead")
                item.lead = Number(value);
            else if (name == "shift")
                item.shift = Number(value);
            else if (name == "round")
                item.round = Number(value);
            else if (name == "tempo") {
                const std::size_t dots = value.find("..");
                item.tempoFrom = Tempo(value.substr(0, dots));
                item.tempoTo = dots == std::string::npos ? item.tempoFrom : Tempo(value.substr(dots + 2));
            } else
                throw std::runtime_error("unknown option " + option + " in " + word);
        }
        if (item.lead > 127 || item.round < 0 || item.shift < -12 || item.shift > 12)
            throw std::runtime_error("option out of range in " + word);
        return item;
    }

    TTune tune_;
    int unit_ = 0;
    TTuneSection section_;
    bool open_ = false;
    int chordBars_ = 0, melodyBars_ = 0;
    std::string pickup_;
};

} // namespace

const TTuneSection& TTune::Section(const std::string& name) const
{
    for (const TTuneSection& section : sections)
        if (section.name == name)
            return section;
    throw std::runtime_error("no section named " + name);
}

TTune ParseTune(const std::string& text)
{
    return TTuneReader().Read(text);
}
