#pragma once

#include <QImage>
#include <QString>

// The song's title plate at the top of player one's half: a rounded plate with a quaver and
// the song's name in the game's lettering, 186 x 22, black where the plate is not.
QImage TitlePlate(const QString& title);

// The name as the plate letters it: capitals, accents dropped, characters the lettering lacks
// left out, and a name too long to read at the plate's smallest lettering cut short with "...".
QString PlateLettering(const QString& title);
