#include "DxgCommands.h"
#include "DxgManifest.h"

#include <QCoreApplication>

#include <cstring>
#include <iostream>

namespace {

const char* const Usage =
    "Usage:\n"
    "  griptool dxg list FILE          one line per image: I NAME WxHxBITS pattern PWxPH skip SWxSH\n"
    "                                  patterns N transparent 0|1 color XXXXXXXX\n"
    "  griptool dxg extract FILE DIR   write DIR/I-NAME.png for every image with a picture\n"
    "  griptool dxg pack MANIFEST OUT  build a picture-collection file from a manifest\n"
    "  griptool --help\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << Usage << '\n' << TDxgManifest::Help;
        return 0;
    }
    // Decoding icons goes through Qt's image plugins, which want an application object.
    QCoreApplication app(argc, argv);
    const std::string group = argc >= 2 ? argv[1] : "", command = argc >= 3 ? argv[2] : "";
    try {
        if (group == "dxg" && command == "list" && argc == 4) {
            TDxgCommands::List(argv[3], std::cout);
        } else if (group == "dxg" && command == "extract" && argc == 5) {
            TDxgCommands::Extract(argv[3], argv[4]);
        } else if (group == "dxg" && command == "pack" && argc == 5) {
            TDxgCommands::Pack(argv[3], argv[4]);
        } else {
            std::cerr << Usage;
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
