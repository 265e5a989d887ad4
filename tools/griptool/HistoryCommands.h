#pragma once

#include "training/GameRecord.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <ostream>
#include <vector>

// The training record read back: the games as a table, and a chart of the progress.
namespace THistoryCommands {

struct TFilter {
    // Games started on this day or later, by the date the record gives them.
    std::optional<QDate> Since;
    // Games of this song only (its name as the record gives it).
    std::optional<QString> Song;
    // Games of one player only: under any of these names.
    std::optional<QStringList> Names;
};

std::vector<TGameRecord> Select(const std::vector<TGameRecord>& records, const TFilter& filter);

// One row per game and player, oldest first, then a line on how each player went; the grip
// tests after them, in a table of their own.
void Table(const std::vector<TGameRecord>& records, std::ostream& out);

// A PNG chart: the hit rate (left axis) and the grips (right axis) of every game over the days,
// one pair of lines per player. Raises an exception when there is nothing to draw or the file
// cannot be written. Needs a QApplication.
void Plot(const std::vector<TGameRecord>& records, const QString& title, const QString& path,
          const QString& player = {});

// `griptool history`: the table of the record at file as the filter selects it, the damaged
// lines that were left out said on err, and the chart when plot names a file.
void History(const QString& file, const TFilter& filter, const QString& plot, std::ostream& out,
             std::ostream& err);

} // namespace THistoryCommands
