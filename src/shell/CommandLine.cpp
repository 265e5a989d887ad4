#include "shell/CommandLine.h"

#include "shell/ScaleChoice.h"

#include <QCommandLineParser>

TCommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption scale("scale", "The window at N times its size (1 to 4).", "N");
    parser.addOption(scale);
    const QCommandLineOption player("player", "Player one by name, added when new.", "NAME");
    parser.addOption(player);
    parser.addPositionalArgument("song", "A MIDI file to play.");
    TCommandLine line;
    if (!parser.parse(arguments)) {
        line.Error = parser.errorText();
        return line;
    }
    if (parser.isSet(scale)) {
        const QString text = parser.value(scale);
        line.Scale = ScaleFromText(text);
        if (!line.Scale) {
            line.Error = QString("--scale takes 1, 2, 3 or 4, not \"%1\"").arg(text);
            return line;
        }
    }
    if (parser.isSet(player))
        line.Player = parser.value(player);
    if (!parser.positionalArguments().isEmpty())
        line.Song = parser.positionalArguments().first();
    return line;
}
