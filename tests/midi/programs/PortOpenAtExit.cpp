// A program that ends as the game does (the application object gone, then the static objects)
// with a port on the synthesizer still open, so that the registry's closer closes it. Without a
// sound card or a server the synthesizer sounds through the process's silent output, as it does
// on a desktop whose server is down; a sanitizer build reports any touch of that output after
// it is gone.
#include "midi/MidiOutput.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// Reachable to the end, so that only what the closer does is checked, not the forgotten port.
TMidiOutputPort* forgotten = nullptr;
}

int main(int argc, char** argv)
{
    // An empty ALSA configuration has no default card; the server's address leads nowhere.
    setenv("ALSA_CONFIG_PATH", "/dev/null", 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
    {
        QCoreApplication app(argc, argv);
        forgotten = new TMidiOutputPort;
        forgotten->SetActive(true);
        forgotten->Send(0x00643C90);  // a note that is still sounding
    }
    std::puts("ending with the port open");
    return 0;
}
