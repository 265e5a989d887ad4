#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One player's game as the training record keeps it: one line of a CSV file.
struct TGameRecord {
    // Local time with its offset from UTC.
    QDateTime Started;
    QString Song;
    // 1 or 2.
    int Player = 1;
    // Every input that played the game, in the order they came, joined by '+': a ball's
    // identity, or "keyboard".
    QString Input;
    // Of song played, pauses left out.
    double Seconds = 0;
    int MelodySpeed = 100;
    bool EasyMode = false, OnlyBlue = false, SmallShift = false;
    int Balls = 0, BallsHit = 0, Hits = 0, Percent = 0, LongestCombo = 0, Score = 0, Grips = 0;
    // In the ball's own units, 0..255.
    int PeakForce = 0;
    std::optional<double> MeanGripForce;
    // The peak each input was fitted to, in the order of Input; none for the keys and a ball on
    // the game's own scale. Empty when no input was fitted.
    std::vector<std::optional<int>> CalibratedPeaks;
    // With precise timing: the mean of the hits' offsets from their balls' moments (negative
    // when early) and their standard deviation, in milliseconds. None when off.
    std::optional<double> TimingMeanMs, TimingSpreadMs;

    // The longest game a line may record: a day of song.
    static constexpr double MostSeconds = 24 * 3600;
};

// The first line of the file: the column names.
QString RecordHeader();
// One line without its line end; text fields are quoted when they need it.
QString RecordLine(const TGameRecord& record);
// A line as RecordLine writes it; none when it is not one (cut short, or not a record).
std::optional<TGameRecord> ParseRecordLine(const QString& line);
// "2024-05-06T18:30:00+02:00": seconds, and the offset even when it is zero.
QString IsoLocalTime(const QDateTime& time);

// What a record file holds: its whole lines that are records, oldest first, and how many
// lines were not (a line cut by a crash, a hand edit gone wrong).
struct TRecordFile {
    std::vector<TGameRecord> Records;
    int Damaged = 0;
    // The file could not be opened (it is missing, or unreadable).
    bool Missing = false;
};
// A last line without its line end was cut while being written and is counted damaged.
TRecordFile ReadRecordFile(const QString& path);
// The same, of a file's contents.
TRecordFile ReadRecordText(const QByteArray& bytes);
