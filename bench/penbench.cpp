// How fast and how lean the pen is, on the display in $DISPLAY, driven from outside with
// paced XTest input as a teacher's mouse would drive it:
//   motion to pixel: from an XTest motion to the root window's pixel showing the stroke, for
//     freehand and for an 800 x 600 rectangle rubber band (p50, p90);
//   a zig-zag of 99 corners sent at 1000 motions a second: how many corners are painted;
//   CPU of the program per 1000 motions, freehand and rubber band, and beside it the X server's
//     (given its process), whose work for each motion a user pays as well;
//   resident memory after start, after 2000 strokes and after clearing.
// Usage: penbench PROGRAM [--server PID] [--goals]
//   PROGRAM runs in its own folder, where it finds its settings database and pictures.
//   --goals prints the goals of a composited desktop beside the figures they apply to.
#include "childprocess.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::cpuSeconds;
using bench::launch;
using bench::rssMegabytes;
using bench::stop;
using Clock = std::chrono::steady_clock;

constexpr unsigned long White = 0xffffff;
constexpr auto PixelTimeout = std::chrono::milliseconds(300);

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double percentile(std::vector<double> values, double p) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(p / 100.0 * double(values.size())));
    return values[std::min(values.size(), std::max<size_t>(rank, 1)) - 1];
}

class Desktop {
public:
    explicit Desktop(Display* d) : m_d(d), m_root(DefaultRootWindow(d)) {}

    int width() const { return DisplayWidth(m_d, DefaultScreen(m_d)); }
    int height() const { return DisplayHeight(m_d, DefaultScreen(m_d)); }

    unsigned long pixel(int x, int y) const {
        XImage* image = XGetImage(m_d, m_root, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0;
        const unsigned long value = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return value;
    }

    void move(int x, int y, int settleMs = 2) const {
        XTestFakeMotionEvent(m_d, DefaultScreen(m_d), x, y, CurrentTime);
        XFlush(m_d);
        pause(settleMs);
    }
    void button(bool press, int settleMs = 2) const {
        XTestFakeButtonEvent(m_d, 1, press, CurrentTime);
        XFlush(m_d);
        pause(settleMs);
    }
    void click(int x, int y) const {
        move(x, y, 60);
        button(true, 30);
        button(false, 150);
    }

    /// The time from a motion to the pixel at (px, py) no longer showing `before`.
    double motionToPixel(int x, int y, int px, int py, unsigned long before) const {
        XTestFakeMotionEvent(m_d, DefaultScreen(m_d), x, y, CurrentTime);
        const auto sent = Clock::now();
        XFlush(m_d);
        while (Clock::now() - sent < PixelTimeout)
            if (pixel(px, py) != before)
                return msSince(sent);
        return -1;
    }

    /// A plain window of one colour, above the desktop and below what the program puts up.
    Window backdrop(int x, int y, int w, int h, unsigned long colour) const {
        XSetWindowAttributes a{};
        a.override_redirect = True;
        a.background_pixel = colour;
        const Window win =
            XCreateWindow(m_d, m_root, x, y, unsigned(w), unsigned(h), 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
        XMapWindow(m_d, win);
        XSync(m_d, False);
        return win;
    }

private:
    Display* m_d;
    Window m_root;
};

std::string wmName(Display* d, Window w) {
    XTextProperty text{};
    std::string name;
    if (XGetWMName(d, w, &text) && text.value) {
        name.assign(reinterpret_cast<char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return name;
}

bool mappedWindowNamed(Display* d, Window parent, const std::string& name) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, parent, &root, &up, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes a{};
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable &&
            wmName(d, children[i]) == name)
            found = true;
        else
            found = mappedWindowNamed(d, children[i], name);
    }
    if (children)
        XFree(children);
    return found;
}

bool waitForWindow(Display* d, const std::string& name, int seconds) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
        if (mappedWindowNamed(d, DefaultRootWindow(d), name))
            return true;
        pause(50);
    }
    return false;
}

// The toolbox stands at (screen width - 130, 10); its tool bar holds two rows of three buttons,
// 23 pixels wide, at (18, 49) within it.
struct Toolbox {
    const Desktop& desk;
    int left() const { return desk.width() - 130; }
    void clickButton(int number) const {
        const int x = left() + 18 + (number - 1) % 3 * 23 + 11;
        const int y = 10 + 49 + (number - 1) / 3 * 24 + 10;
        // Resting on the toolbox takes the surface out of the way; leaving it sideways brings
        // the surface back.
        desk.move(x, y, 150);
        desk.click(x, y);
        desk.move(left() - 40, y, 150);
    }
};

} // namespace

// The goals on a composited desktop, where the figures go through the pen's ink layer.
constexpr double BandCpuGoal = 700;     // ms per 1000 motions, 800 x 600 rectangle
constexpr double EllipseCpuGoal = 1000; // ms per 1000 motions, full-screen ellipse
constexpr double BandPixelGoal = 3;     // ms, motion to pixel p90

// "  goal <= G: met" or "MISSED", or nothing where goals are not asked for.
std::string goal(bool wanted, double value, double limit, const char* unit) {
    if (!wanted)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "  (goal <= %g%s: %s)", limit, unit,
                  value >= 0 && value <= limit ? "met" : "MISSED");
    return text;
}

// Milliseconds of the server's CPU per 1000 motions, or nothing without its process.
std::string serverCpu(pid_t server, double seconds, int motions) {
    if (server <= 0)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "; X server %.0f ms", seconds / motions * 1e6);
    return text;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [--server PID] [--goals]\n", argv[0]);
        return 2;
    }
    pid_t server = 0;
    bool goals = false;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--goals")
            goals = true;
        else if (option == "--server" && i + 1 < argc)
            server = pid_t(std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    XSetErrorHandler(ignoreErrors);
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const Desktop desk(d);
    const Toolbox toolbox{desk};
    const int w = desk.width(), h = desk.height();
    desk.backdrop(40, 60, w - 240, h - 120, White);

    const pid_t pid = launch(argv[1]);
    if (!waitForWindow(d, "Kerulo", 20)) {
        std::fprintf(stderr, "the toolbar never appeared\n");
        stop(pid);
        return 1;
    }
    pause(1500);
    std::printf("RSS after start: %.1f MB\n", rssMegabytes(pid));

    // The pen command of the toolbar, which slides out at the right edge.
    desk.move(w - 1, h / 2 + 100, 300);
    desk.click(w - 33, h / 2 + 136 + 12);
    if (!waitForWindow(d, "Form9", 10)) {
        std::fprintf(stderr, "the pen toolbox never appeared\n");
        stop(pid);
        return 1;
    }
    desk.move(w / 2, h / 2, 400);

    // Freehand: each motion continues the stroke by 10 pixels; the pixel just before the new end
    // point is one the segment paints and the previous one did not (the pen is 5 wide).
    std::vector<double> freehand;
    int missed = 0;
    const int motions = 400;
    double freehandCpu = 0, freehandServer = 0;
    // Rows of strokes, each its own press and release, so no stroke crosses the next row.
    for (int row = 120; row < 120 + 4 * 16; row += 16) {
        desk.move(100, row, 20);
        desk.button(true, 20);
        const double cpu = cpuSeconds(pid), serverBefore = cpuSeconds(server);
        for (int i = 1; i <= motions / 4; ++i) {
            const int x = 100 + i * 10;
            const unsigned long before = desk.pixel(x - 1, row);
            const double ms = desk.motionToPixel(x, row, x - 1, row, before);
            if (ms < 0)
                ++missed;
            else
                freehand.push_back(ms);
            pause(4);
        }
        freehandCpu += cpuSeconds(pid) - cpu;
        freehandServer += cpuSeconds(server) - serverBefore;
        desk.button(false, 50);
    }
    std::printf("freehand, motion to pixel: p50 %.2f ms  p90 %.2f ms  (%d of %d not seen within "
                "%lld ms)\n",
                percentile(freehand, 50), percentile(freehand, 90), missed, motions,
                static_cast<long long>(PixelTimeout.count()));
    std::printf("freehand CPU: %.0f ms per 1000 motions%s\n", freehandCpu / motions * 1e6,
                serverCpu(server, freehandServer, motions).c_str());

    // A zig-zag of 99 corners, one motion per millisecond, as a fast mouse sends them.
    toolbox.clickButton(6);
    desk.move(200, 500, 20);
    desk.button(true, 20);
    std::vector<std::pair<int, int>> corners;
    for (int i = 0; i < 99; ++i) {
        const int x = 200 + i * 12;
        const int y = i % 2 ? 560 : 500;
        corners.emplace_back(x, y);
        desk.move(x, y, 1);
    }
    desk.move(200 + 99 * 12, 500, 1);
    desk.button(false, 300);
    int painted = 0;
    for (const auto& [x, y] : corners)
        painted += desk.pixel(x, y) != White;
    std::printf("zig-zag at 1000 motions a second: %d of 99 corners painted\n", painted);

    // The rectangle's rubber band: each motion moves the right edge by at least 12 pixels, so
    // that the pixel watched leaves the previous band's 5-pixel outline.
    toolbox.clickButton(6);
    toolbox.clickButton(3);
    std::vector<double> band;
    missed = 0;
    desk.move(300, 150, 20);
    desk.button(true, 20);
    desk.move(1100, 750, 30);
    double cpu = cpuSeconds(pid);
    double serverBefore = cpuSeconds(server);
    for (int i = 1; i <= motions; ++i) {
        const int right = 1100 + (i % 2 ? 12 : 0) + 24 * (i % 10);
        const int bottom = 750;
        const unsigned long before = desk.pixel(right - 1, 450);
        const double ms = desk.motionToPixel(right, bottom, right - 1, 450, before);
        if (ms < 0)
            ++missed;
        else
            band.push_back(ms);
        pause(4);
    }
    const double bandCpu = cpuSeconds(pid) - cpu;
    const double bandServer = cpuSeconds(server) - serverBefore;
    desk.button(false, 50);
    const double bandP90 = percentile(band, 90);
    std::printf("800 x 600 rectangle band, motion to pixel: p50 %.2f ms  p90 %.2f ms  (%d of %d "
                "not seen)%s\n",
                percentile(band, 50), bandP90, missed, motions,
                goal(goals, missed ? -1 : bandP90, BandPixelGoal, " ms p90").c_str());
    std::printf("rectangle band CPU: %.0f ms per 1000 motions%s%s\n", bandCpu / motions * 1e6,
                goal(goals, bandCpu / motions * 1e6, BandCpuGoal, "").c_str(),
                serverCpu(server, bandServer, motions).c_str());

    // A full-screen ellipse band, the largest figure a teacher can drag.
    toolbox.clickButton(6);
    toolbox.clickButton(4);
    desk.move(0, 0, 20);
    desk.button(true, 20);
    cpu = cpuSeconds(pid);
    serverBefore = cpuSeconds(server);
    const int bigMotions = 200;
    for (int i = 0; i < bigMotions; ++i) {
        desk.move(w - 1 - i % 7, h - 1 - i % 5, 4);
    }
    const double bigCpu = cpuSeconds(pid) - cpu;
    const double bigServer = cpuSeconds(server) - serverBefore;
    desk.button(false, 50);
    std::printf("full-screen ellipse band CPU: %.0f ms per 1000 motions%s%s\n",
                bigCpu / bigMotions * 1e6,
                goal(goals, bigCpu / bigMotions * 1e6, EllipseCpuGoal, "").c_str(),
                serverCpu(server, bigServer, bigMotions).c_str());

    // Memory over many strokes, and after clearing them.
    toolbox.clickButton(6);
    toolbox.clickButton(1);
    const double rssBefore = rssMegabytes(pid);
    for (int s = 0; s < 2000; ++s) {
        const int x = 100 + (s % 40) * 20, y = 100 + (s / 40) % 40 * 18;
        desk.move(x, y, 0);
        desk.button(true, 0);
        for (int k = 1; k <= 5; ++k)
            desk.move(x + k * 3, y + (k % 2) * 4, 0);
        desk.button(false, 0);
        if (s % 100 == 99)
            pause(20);
    }
    pause(500);
    const double rssStrokes = rssMegabytes(pid);
    toolbox.clickButton(6);
    pause(500);
    std::printf("RSS before strokes %.1f MB, after 2000 strokes %.1f MB (%+.1f), after clearing "
                "%.1f MB\n",
                rssBefore, rssStrokes, rssStrokes - rssBefore, rssMegabytes(pid));

    stop(pid);
    XCloseDisplay(d);
    return 0;
}
