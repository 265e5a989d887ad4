// Draws every picture of the game and writes the six picture-collection files into the folder
// given as the only argument.
#include "ArtFiles.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTPUT_FOLDER\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const auto pictures = art::AllPictures();
        for (const art::TStoreFile& store : art::StoreFiles) {
            const auto bytes = art::StoreFile(pictures, store.Store);
            const QString path = QString::fromLocal8Bit(argv[1]) + "/" +
                                 QString::fromLatin1(store.FileName.data(), qsizetype(store.FileName.size()));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) != qint64(bytes.size())) {
                std::fprintf(stderr, "artgen: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
