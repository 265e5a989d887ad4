#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Everything that goes wrong while reading the beat map. The messages are the fixed texts the
// player sees in the message box.
class EBeatMapError : public Exception {
public:
    using Exception::Exception;
};

// A growable set of bits with an explicit size. Only the set bits are stored, so a beat map
// whose last line names a far-off bar costs no memory for the empty stretch before it.
class TBits {
public:
    std::int32_t Size() const { return size_; }
    // Keeps every bit below the new size as it was; bits at or above it are dropped.
    void SetSize(std::int32_t size);
    bool Bit(std::int32_t index) const;
    // Setting a bit at or beyond the size enlarges the set to index + 1.
    void SetBit(std::int32_t index, bool value);
    // Number of set bits, all of which lie below Size().
    std::int32_t Count() const { return static_cast<std::int32_t>(set_.size()); }
    // The set bits in increasing order.
    const std::set<std::int32_t>& SetBits() const { return set_; }

private:
    std::int32_t size_ = 0;
    std::set<std::int32_t> set_;
};

// Play drivers: something that can be run and halted. The base does nothing.
class TSynergy {
public:
    virtual ~TSynergy() = default;
    virtual void Run() {}
    virtual void Halt() {}
};

// One line of the beat map: bar, beat within the bar and tick within the beat.
struct TBeatLine {
    std::int32_t bar = 0;
    std::int32_t beat = 0;
    std::int32_t tick = 0;
};

// Splits a line the way comma-separated text is split: blanks and control characters separate
// fields as well as commas, double quotes enclose a field ("" inside stands for one quote), and a
// comma that ends the line leaves an empty field after it.
std::vector<std::string> SplitCommaText(const std::string& text);

// Reads bar, beat and tick from a beat-map line; ":" and "," separate fields alike and fields
// after the third are ignored.
TBeatLine ParseBeatLine(const std::string& line);

// Splits text into lines at CR, LF or CR LF; a NUL ends the text. A final line break does not
// start another line.
std::vector<std::string> SplitTextLines(const std::string& text);

// Loads the beat map into a bit set of song positions quantised to quarter beats.
class TMetronome : public TSynergy {
public:
    // Loads from the game's data directory as it stands at each load.
    TMetronome() = default;
    // Loads from the given folder instead; it is prefixed, unchanged, to every file name.
    explicit TMetronome(std::string dataDirectory);

    // Reads dataDirectory + fileName. The bit set is resized, not cleared, so marks of an
    // earlier load below the new size stay; a failure leaves the bits set so far.
    void LoadBeatMap(const std::string& fileName);
    // Reads beat-map text that is already at hand, as LoadBeatMap reads a file's, with the same
    // failures.
    void LoadBeatMapText(const std::string& text);

    const TBits& Marks() const { return marks_; }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::optional<std::string> dataDirectory_;
    std::vector<std::string> lines_;
    TBits marks_;
};
