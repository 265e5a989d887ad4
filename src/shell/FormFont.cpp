#include "shell/FormFont.h"

#include <QStringList>

QFont FormFont()
{
    QFont font;
    font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo",
                      "DejaVu Sans Condensed", "Sans Serif"});
    font.setPixelSize(11);
    return font;
}
