// grip_ballbed: runs a program (the game) on emulated grip balls and squeezes them as told.
// It runs under umockdev-wrapper itself, so that the balls it plugs in later are announced.
//
// usage: grip_ballbed BALLS PRELOAD COMMANDS -- PROGRAM [ARGS...]
// BALLS balls are plugged in before PROGRAM starts ("2d": two with nodes the user may not
// open); PRELOAD goes first in the program's
// LD_PRELOAD, before umockdev's. Commands, one a line, are read from the file (a named pipe)
// COMMANDS:
//   plug N          plugs ball N in (announced as the kernel would)
//   plug N denied   the same, with a node the user may not open
//   allow N         lets the user open ball N's node
//   unplug N        pulls it out
//   squeeze N on    ball N grips and releases in a steady rhythm, light enough for blue and
//                   yellow balls and released between grips
//   squeeze N off   ball N rests (force 0)
// Every plugged ball reports every 10 ms. Each line the game writes to a ball is told on
// standard output ("ball N got 2 bytes"). The exit status is the program's.
#include "BallBed.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

long long NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

// One grip every 300 ms: rest for 100 ms, a light touch, then a light grip for the rest.
std::uint8_t Rhythm(long long ms)
{
    const long long phase = ms % 300;
    if (phase < 100)
        return 0;
    if (phase < 110)
        return 5;
    return 12;
}

struct TBall {
    TEmulatedBall Emulated;
    bool Plugged = false;
    bool Squeezing = false;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || std::string(argv[4]) != "--") {
        std::fprintf(stderr, "usage: grip_ballbed BALLS PRELOAD COMMANDS -- PROGRAM [ARGS...]\n");
        return 2;
    }
    const int commands = open(argv[3], O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (commands < 0) {
        std::perror("grip_ballbed: commands");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    const int count = std::atoi(argv[1]);
    TBallBed bed;
    std::map<int, TBall> balls;
    const bool denied = std::string(argv[1]).find('d') != std::string::npos;
    for (int n = 0; n < count; ++n) {
        balls[n] = TBall{bed.Add(n), true, false};
        if (denied)
            chmod(bed.NodeFile(balls[n].Emulated).c_str(), 0);
    }

    const pid_t child = fork();
    if (child == 0) {
        setenv("UMOCKDEV_DIR", bed.Root().c_str(), 1);
        const std::string previous = getenv("LD_PRELOAD") ? getenv("LD_PRELOAD") : "";
        std::string preload = argv[2];
        if (previous.find("libumockdev-preload") == std::string::npos)
            preload += ":libumockdev-preload.so.0";
        if (!previous.empty())
            preload += ":" + previous;
        setenv("LD_PRELOAD", preload.c_str(), 1);
        execvp(argv[5], argv + 5);
        std::perror("grip_ballbed: exec");
        _exit(127);
    }

    std::string pending;
    bool input = true;
    long long nextReport = NowMs();
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        const long long now = NowMs();
        if (now >= nextReport) {
            nextReport += 10;
            if (nextReport < now)
                nextReport = now + 10;
            for (auto& [n, ball] : balls) {
                if (!ball.Plugged)
                    continue;
                bed.Send(ball.Emulated, ball.Squeezing ? Rhythm(now) : 0);
                const std::vector<std::uint8_t> got = bed.Received(ball.Emulated, 0);
                if (!got.empty()) {
                    std::printf("ball %d got %zu bytes\n", n, got.size());
                    std::fflush(stdout);
                }
            }
        }
        pollfd request{commands, POLLIN, 0};
        const int wait = static_cast<int>(std::max(0LL, nextReport - NowMs()));
        if (!input || ::poll(&request, 1, wait) <= 0) {
            if (!input)
                usleep(wait * 1000);
            continue;
        }
        char chunk[256];
        const ssize_t got = ::read(commands, chunk, sizeof chunk);
        if (got < 0 && errno == EAGAIN)
            continue;
        if (got <= 0) {
            input = false;
            continue;
        }
        pending.append(chunk, static_cast<size_t>(got));
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::istringstream line(pending.substr(0, end));
            pending.erase(0, end + 1);
            std::string command, state;
            int n = -1;
            line >> command >> n >> state;
            if (command == "plug" && n >= 0) {
                if (!balls.count(n))
                    balls[n] = TBall{bed.Add(n), false, false};
                balls[n].Plugged = true;
                if (state == "denied")
                    chmod(bed.NodeFile(balls[n].Emulated).c_str(), 0);
                bed.Announce(balls[n].Emulated, "add");
            } else if (command == "allow" && balls.count(n)) {
                chmod(bed.NodeFile(balls[n].Emulated).c_str(), 0600);
            } else if (command == "unplug" && balls.count(n) && balls[n].Plugged) {
                balls[n].Plugged = false;
                bed.Remove(balls[n].Emulated);
                balls.erase(n);
            } else if (command == "squeeze" && balls.count(n)) {
                balls[n].Squeezing = state == "on";
            } else {
                std::fprintf(stderr, "grip_ballbed: not understood: %s %d %s\n", command.c_str(), n, state.c_str());
            }
        }
    }
}
