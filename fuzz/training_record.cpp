// Feeds arbitrary bytes to the training record's reader as `griptool history` and the results
// read a record file. Whatever it takes as a game must be one the record can hold: written
// again, the line reads back, with its names as they were and its figures in range.
#include "training/GameRecord.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TRecordFile file = ReadRecordText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (file.Missing || file.Damaged < 0 || file.Records.size() > size)
        std::abort();
    for (const TGameRecord& game : file.Records) {
        if (!(game.Seconds >= 0 && game.Seconds <= TGameRecord::MostSeconds) || game.PeakForce > 255)
            std::abort();
        const std::optional<TGameRecord> again = ParseRecordLine(RecordLine(game));
        // A carriage return inside a quoted name is the only thing the writing changes.
        if (!again || again->Song != QString(game.Song).replace('\r', ' ') ||
            again->Input != QString(game.Input).replace('\r', ' ') || again->Player != game.Player ||
            again->CalibratedPeaks.size() > game.CalibratedPeaks.size())
            std::abort();
    }
    return 0;
}
