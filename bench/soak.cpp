// A long run of the built program under random but repeatable use, on the display in $DISPLAY,
// driven with XTest input as a teacher's mouse and keyboard drive it: pointer motion, the keys
// F8, F7 and Esc, the edge toolbar's and the tray menu's commands, pen strokes with every tool,
// the toolbox's lists and width field, clearing, and saves in the settings dialog. Every minute
// the program is brought to rest (pen ended, dialogs closed) and one line is printed: whether it
// is alive, its resident memory and the X resources it holds. A summary follows at the end.
// Usage: soak PROGRAM MINUTES [SEED] [LOG] [SHOTS]
//   PROGRAM runs in its own folder, where it finds its settings database and pictures; its
//   output goes to LOG; screenshots of the first hiccup of each kind go into the folder SHOTS.
// Exits with 1 when the program ended before the run was over.
#include "e2e/keruloprobe.h"
#include "e2e/xdisplay.h"
#include "soakmeasure.h"
#include "soakuser.h"
#include "xresourcecounts.h"

#include <QThread>

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace bench::soak;
using bench::XResourceCounts;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM MINUTES [SEED] [LOG] [SHOTS]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1];
    const int minutes = std::max(1, std::atoi(argv[2]));
    const unsigned seed = argc > 3 ? unsigned(std::strtoul(argv[3], nullptr, 10)) : 1;
    const std::string log = argc > 4 ? argv[4] : "";
    const std::string shots = argc > 5 ? argv[5] : "";
    const char* displayName = std::getenv("DISPLAY");
    if (!displayName) {
        std::fprintf(stderr, "no display\n");
        return 2;
    }

    try {
        XDisplay x(displayName);
        // A connection of its own for the measurements, apart from the one that drives.
        Display* observer = XOpenDisplay(displayName);
        if (!observer)
            throw std::runtime_error("cannot open the display to measure");
        KeruloProbe probe(x);
        x.movePointer(100, 100);

        Program kerulo(program, log);
        if (!waitUntil(20000, [&] { return probe.followImage().has_value() || !kerulo.alive(); }) ||
            !kerulo.alive()) {
            std::fprintf(stderr, "the program did not come up\n");
            return 1;
        }
        QThread::msleep(1500);
        const std::string runFolder = program.substr(0, program.rfind('/'));
        User user(x, seed, runFolder, shots);
        XResourceCounts::ofProcess(observer, kerulo.pid()); // the extension is there, or throw

        printHeader();
        std::vector<Sample> samples;
        const auto start = Clock::now();
        int actionsBefore = 0;
        for (int minute = 1; minute <= minutes; ++minute) {
            // Resting and measuring take about two seconds of the minute.
            const auto until = start + std::chrono::minutes(minute) - std::chrono::seconds(3);
            if (minute == 1 && kerulo.alive())
                user.tour();
            while (kerulo.alive() && Clock::now() < until)
                user.act();
            if (kerulo.alive())
                user.rest();
            Sample s;
            s.minute = minute;
            s.alive = kerulo.alive();
            if (s.alive) {
                s.rssKb = rssKilobytes(kerulo.pid());
                s.resources = XResourceCounts::ofProcess(observer, kerulo.pid());
            }
            s.actions = user.actions() - actionsBefore;
            actionsBefore = user.actions();
            samples.push_back(s);
            printSample(s);
            if (!s.alive)
                break;
            std::this_thread::sleep_until(start + std::chrono::minutes(minute));
        }
        const int result = summarize(samples, kerulo, user, minutes, seed);
        XCloseDisplay(observer);
        return result;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "soak: %s\n", e.what());
        return 2;
    }
}
