// Start-up and idle figures of the built program on the display in $DISPLAY:
//   milliseconds from exec to the toolbar being mapped (median over several starts),
//   CPU in percent of one core over an idle period with the pointer still,
//   resident memory after start-up.
// Run from the program's run folder: startupbench PROGRAM [STARTS] [IDLE_SECONDS]
#include "childprocess.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::cpuSeconds;
using bench::launch;
using bench::rssMegabytes;
using bench::stop;

using Clock = std::chrono::steady_clock;

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

bool isToolbar(Display* d, Window w) {
    char* name = nullptr;
    bool match = false;
    if (XFetchName(d, w, &name) && name) {
        match = std::strcmp(name, "Kerulo") == 0;
        XFree(name);
    }
    return match;
}

// Milliseconds from exec to the MapNotify of the toolbar, or -1.
double timeToToolbar(Display* d, const char* program, pid_t* out) {
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, True);
    const auto start = Clock::now();
    const pid_t pid = launch(program);
    *out = pid;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == MapNotify && isToolbar(d, e.xmap.window))
                return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [STARTS] [IDLE_SECONDS]\n", argv[0]);
        return 2;
    }
    const char* program = argv[1];
    const int starts = argc > 2 ? std::atoi(argv[2]) : 7;
    const int idleSeconds = argc > 3 ? std::atoi(argv[3]) : 30;
    XSetErrorHandler(ignoreErrors);
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }

    std::vector<double> times;
    for (int i = 0; i < starts; ++i) {
        pid_t pid = 0;
        const double ms = timeToToolbar(d, program, &pid);
        if (ms >= 0)
            times.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        stop(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::sort(times.begin(), times.end());
    std::printf("exec to toolbar mapped: median %.1f ms (min %.1f, max %.1f, %zu starts)\n",
                times.empty() ? -1 : times[times.size() / 2], times.empty() ? -1 : times.front(),
                times.empty() ? -1 : times.back(), times.size());

    pid_t pid = 0;
    timeToToolbar(d, program, &pid);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    std::printf("resident memory after start-up: %.1f MB\n", rssMegabytes(pid));
    const double before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double used = cpuSeconds(pid) - before;
    std::printf("idle CPU over %d s with the pointer still: %.3f %% of one core\n", idleSeconds,
                100.0 * used / idleSeconds);
    std::printf("resident memory after the idle period: %.1f MB\n", rssMegabytes(pid));
    stop(pid);
    XCloseDisplay(d);
    return 0;
}
