#include "DxgCommands.h"
#include "DxgManifest.h"
#include "GameCommands.h"
#include "HidCommands.h"
#include "HistoryCommands.h"
#include "LibraryCommands.h"
#include "MidiCommands.h"
#include "SongCommands.h"

#include "hid/HidBackend.h"
#include "platform/DataPath.h"
#include "platform/Exception.h"
#include "training/Players.h"
#include "training/TrainingLog.h"

#include <QApplication>
#include <QCoreApplication>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    "Usage:\n"
    "  griptool dxg list FILE          one line per image: I NAME WxHxBITS pattern PWxPH skip SWxSH\n"
    "                                  patterns N transparent 0|1 color XXXXXXXX\n"
    "  griptool dxg extract FILE DIR   write DIR/I-NAME.png for every image with a picture\n"
    "  griptool dxg pack MANIFEST OUT  build a picture-collection file from a manifest\n"
    "  griptool midi dump FILE         format F tracks N division D, then one line per record:\n"
    "                                  T TICK SS D1 D2 | T TICK ff TT HEX | T TICK f0|f7 HEX | T TICK SS\n"
    "  griptool midi where FILE TICK   bar B beat B tick T time MS after seeking to TICK\n"
    "  griptool midi play FILE [--device N] [--tempo P]\n"
    "                                  play the song in real time, one line per bar\n"
    "  griptool midi devices           the output devices by number (0: built-in synthesizer)\n"
    "  griptool song canon IN OUT      write the song IN as the game plays it (division 100,\n"
    "                                  every bar 4/4) to OUT\n"
    "  griptool beatmap FILE           size N, then each set bit index ascending\n"
    "  griptool beatmap make IN [--track N] [--spacing P] [--level easy|normal|hard]\n"
    "                                  print a beat map for the song IN, its balls on the melody\n"
    "                                  (or on track N of the file, counted from 0), at least P\n"
    "                                  song positions apart (50, half a beat, unless given)\n"
    "  griptool layout FILE [--only-blue] [--small-shift]\n"
    "                                  the balls of the first Start: LANE ORDINAL KIND X Y\n"
    "  griptool songs [--player NAME]  the song library, sorted by name: NAME SECONDS BALLS LAST BEST PATH\n"
    "                                  (tab-separated; the last and best hit rate in per cent of the\n"
    "                                  player NAME, of every player without it)\n"
    "  griptool hid list               one line per HID device: I VID:PID \"Vendor\" \"Product\" in=N out=M PATH\n"
    "  griptool history [--since YYYY-MM-DD] [--song NAME] [--player NAME] [--plot OUT.png]\n"
    "                                  the training record as a table, and a chart of the hit rate\n"
    "                                  and the grips per game (of one player, under any name they had)\n"
    "  griptool --help\n";

class EUsage : public Exception {
public:
    using Exception::Exception;
};

int Number(const std::string& option, const char* text, int low, int high)
{
    int value = 0;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high)
        throw EUsage(Format("%s wants a whole number from %d to %d, not '%s'", option.c_str(), low, high, text));
    return value;
}

// Runs one command; false when the arguments name none.
bool Run(const std::vector<std::string>& a)
{
    const size_t n = a.size();
    const std::string group = n >= 1 ? a[0] : "", command = n >= 2 ? a[1] : "";
    if (group == "dxg" && command == "list" && n == 3) {
        TDxgCommands::List(a[2], std::cout);
    } else if (group == "dxg" && command == "extract" && n == 4) {
        TDxgCommands::Extract(a[2], a[3]);
    } else if (group == "dxg" && command == "pack" && n == 4) {
        TDxgCommands::Pack(a[2], a[3]);
    } else if (group == "midi" && command == "dump" && n == 3) {
        TMidiCommands::Dump(a[2], std::cout);
    } else if (group == "midi" && command == "where" && n == 4) {
        TMidiCommands::Where(a[2], a[3], std::cout);
    } else if (group == "midi" && command == "play" && n >= 3) {
        int device = 0, tempo = 100;
        for (size_t i = 3; i < n; i += 2) {
            if (i + 1 >= n)
                return false;
            if (a[i] == "--device")
                device = Number(a[i], a[i + 1].c_str(), 0, 1000000);
            else if (a[i] == "--tempo")
                tempo = Number(a[i], a[i + 1].c_str(), 1, 1000);
            else
                return false;
        }
        TMidiCommands::Play(a[2], device, tempo, std::cout);
    } else if (group == "midi" && command == "devices" && n == 2) {
        TMidiCommands::Devices(std::cout);
    } else if (group == "song" && command == "canon" && n == 4) {
        TSongCommands::Canon(a[2], a[3], std::cerr);
    } else if (group == "beatmap" && command == "make" && n >= 3) {
        std::optional<int> track;
        int spacing = 50;
        EMapLevel level = EMapLevel::Normal;
        for (size_t i = 3; i < n; i += 2) {
            if (i + 1 >= n)
                return false;
            if (a[i] == "--track")
                track = Number(a[i], a[i + 1].c_str(), 0, 65535);
            else if (a[i] == "--spacing")
                spacing = Number(a[i], a[i + 1].c_str(), 25, 100000);
            else if (a[i] == "--level") {
                const auto named = MapLevelNamed(a[i + 1]);
                if (!named)
                    throw EUsage(Format("--level wants easy, normal or hard, not '%s'", a[i + 1].c_str()));
                level = *named;
            } else
                return false;
        }
        TSongCommands::MakeBeatMap(a[2], track, spacing, std::cout, std::cerr, level);
    } else if (group == "beatmap" && n == 2) {
        TGameCommands::BeatMap(a[1], std::cout);
    } else if (group == "layout" && n >= 2) {
        bool onlyBlue = false, smallShift = false;
        for (size_t i = 2; i < n; ++i) {
            if (a[i] == "--only-blue")
                onlyBlue = true;
            else if (a[i] == "--small-shift")
                smallShift = true;
            else
                return false;
        }
        TGameCommands::Layout(a[1], onlyBlue, smallShift, std::cout);
    } else if (group == "songs") {
        QStringList players;
        for (size_t i = 1; i < n; i += 2) {
            if (i + 1 >= n || a[i] != "--player")
                return false;
            // Any name the player has had, as history takes it.
            TPlayers known;
            players.append(known.NamesOf(QString::fromStdString(a[i + 1])));
            if (!known.Failure().isEmpty())
                std::cerr << known.Failure().toStdString() << '\n';
        }
        // The shipped songs lie beside the program, as the game's do.
        SetDataDirectory(ProgramDirectory());
        TLibraryCommands::Songs(players, std::cout, std::cerr);
    } else if (group == "hid" && command == "list" && n == 2) {
        THidCommands::List(*HidBackend(), std::cout);
    } else if (group == "history") {
        THistoryCommands::TFilter filter;
        QString plot;
        for (size_t i = 1; i < n; i += 2) {
            if (i + 1 >= n)
                return false;
            const QString value = QString::fromStdString(a[i + 1]);
            if (a[i] == "--since") {
                filter.Since = QDate::fromString(value, Qt::ISODate);
                if (!filter.Since->isValid())
                    throw EUsage("--since wants a day as YYYY-MM-DD, not '" + a[i + 1] + "'");
            } else if (a[i] == "--song") {
                filter.Song = value;
            } else if (a[i] == "--player") {
                // Any name the player has had; a name the game does not know stands for itself.
                TPlayers players;
                filter.Names = players.NamesOf(value);
                if (!players.Failure().isEmpty())
                    std::cerr << players.Failure().toStdString() << '\n';
            } else if (a[i] == "--plot") {
                plot = value;
            } else {
                return false;
            }
        }
        THistoryCommands::History(TTrainingLog::DefaultPath(), filter, plot, std::cout, std::cerr);
    } else {
        return false;
    }
    return true;
}

// Every command's output ends here: a pipe closed early or a full disk is a failure too,
// or a script would take a cut listing for a whole one.
int Finish(int status)
{
    errno = 0;
    std::cout.flush();
    if (std::cout)
        return status;
    std::cerr << "griptool: the output could not be written" << (errno ? ": " : "")
              << (errno ? std::strerror(errno) : "") << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << Usage << '\n' << TDxgManifest::Help;
        return Finish(0);
    }
    // Decoding icons goes through Qt's image plugins, which want an application object; the
    // history's chart is drawn with widgets, off any screen.
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::unique_ptr<QCoreApplication> app;
    if (!args.empty() && args[0] == "history") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        if (!Run(args)) {
            std::cerr << Usage;
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return Finish(1);
    }
    return Finish(0);
}
