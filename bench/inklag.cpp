// How long a rubber band on the pen's ink layer takes from paint() to the pixel on the screen,
// on the display in $DISPLAY (run it under a compositor: bench/ink.sh): for each move, the
// old figure is painted away and the new one in, the event loop sends the changes, and a second
// connection reads the root window until the moved corner shows. Also the time spent in the
// layer itself (painting in memory and sending), per move.
// Usage: inklag [MOVES]
#include "platform/x11/x11inklayer.h"
#include "x11ink/testfigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using kerulo::Raster;
using kerulo::RasterMode;
using kerulo::Span;

constexpr QRgb Beneath = 0x2040c0;
constexpr QRgb Pen = 0xff0000;
constexpr QRgb Brush = 0x00ff00;

// An ellipse inside r: per row the outline covers the step to the next row's extent.
Raster ellipse(const QRect& r, bool filled) {
    Raster out;
    const double a = r.width() / 2.0, b = r.height() / 2.0;
    const double cx = r.left() + a, cy = r.top() + b;
    const auto half = [&](int y) {
        const double t = (y + 0.5 - cy) / b;
        return t * t >= 1 ? 0.0 : a * std::sqrt(1 - t * t);
    };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const double h = half(y);
        const double neighbour = std::min(half(y - 1), half(y + 1));
        const int outer0 = int(std::floor(cx - h)), outer1 = int(std::ceil(cx + h));
        const int inner0 = std::min(outer1, std::max(outer0 + 1, int(std::floor(cx - neighbour))));
        const int inner1 = std::max(inner0, std::min(outer1 - 1, int(std::ceil(cx + neighbour))));
        if (inner0 >= inner1) {
            out.pen.push_back({y, outer0, outer1});
            continue;
        }
        out.pen.push_back({y, outer0, inner0});
        if (filled)
            out.brush.push_back({y, inner0, inner1});
        out.pen.push_back({y, inner1, outer1});
    }
    return out;
}

QRgb rootPixel(Display* d, int x, int y) {
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    const QRgb p = image ? QRgb(XGetPixel(image, 0, 0)) & 0xffffffu : 0;
    if (image)
        XDestroyImage(image);
    return p;
}

struct Stats {
    std::vector<double> lag;
    std::vector<double> own;
    int missed = 0;
    double first = 0; // the first figure, which reads the screen beneath it
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// Moves the band `moves` times; `figure(i)` is the figure after move i, `probe(i)` a pixel that
// the figure of move i covers with its pen and the one before did not.
Stats run(kerulo::X11InkLayer& layer, Display* d, int moves,
          const std::function<Raster(int)>& figure, const std::function<QPoint(int)>& probe) {
    Stats s;
    const QRgb expected = ~(Pen ^ Beneath) & 0xffffffu;
    QElapsedTimer first;
    first.start();
    layer.paint(figure(0), Pen, Brush, RasterMode::NotXor);
    QCoreApplication::sendPostedEvents();
    s.first = double(first.nsecsElapsed()) / 1e6;
    for (int i = 1; i <= moves; ++i) {
        const Raster before = figure(i - 1), after = figure(i);
        const QPoint at = probe(i);
        if (rootPixel(d, at.x(), at.y()) == expected) {
            std::fprintf(stderr, "move %d: the probe shows the new figure already\n", i);
            return s;
        }
        QElapsedTimer t;
        t.start();
        layer.paint(before, Pen, Brush, RasterMode::NotXor);
        layer.paint(after, Pen, Brush, RasterMode::NotXor);
        QCoreApplication::sendPostedEvents();
        s.own.push_back(double(t.nsecsElapsed()) / 1e6);
        bool seen = false;
        while (t.elapsed() < 200)
            if (rootPixel(d, at.x(), at.y()) == expected) {
                seen = true;
                break;
            }
        if (seen)
            s.lag.push_back(double(t.nsecsElapsed()) / 1e6);
        else {
            ++s.missed;
            std::fprintf(stderr, "move %d: (%d, %d) shows %06x, not %06x\n", i, at.x(), at.y(),
                         rootPixel(d, at.x(), at.y()), expected);
        }
    }
    layer.paint(figure(moves), Pen, Brush, RasterMode::NotXor);
    layer.clear();
    // The compositor takes the cleared layer off the screen in its own time; the next run
    // reads the screen for its colours.
    QThread::msleep(200);
    return s;
}

void report(const char* what, const Stats& s) {
    std::printf("%s\n  paint to pixel p50 %.2f p95 %.2f max %.2f ms; in the layer p50 %.2f "
                "p95 %.2f ms; missed %d; first figure %.2f ms\n",
                what, percentile(s.lag, 0.5), percentile(s.lag, 0.95), percentile(s.lag, 1.0),
                percentile(s.own, 0.5), percentile(s.own, 0.95), s.missed, s.first);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int moves = argc > 1 ? std::atoi(argv[1]) : 200;

    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
    XSetWindowAttributes a{};
    a.override_redirect = True;
    a.background_pixel = Beneath;
    const Window beneath =
        XCreateWindow(d, DefaultRootWindow(d), 0, 0, unsigned(w), unsigned(h), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(d, beneath);
    XSync(d, False);
    // Rubber bands take their colours from the screen as the compositor last showed it.
    QElapsedTimer shown;
    shown.start();
    while (rootPixel(d, w / 2, h / 2) != Beneath && shown.elapsed() < 5000)
        QThread::msleep(10);

    kerulo::X11InkLayer layer;
    const auto rect = [](bool filled) {
        return [filled](int i) {
            return kerulo::test::rectangleFigure(QRect(200, 200, 800 + i % 40, 600 + i % 40),
                                                 filled);
        };
    };
    // The band grows by a pixel each way per move, and every 40 moves starts again: the new
    // corner is always a pixel the previous figure did not cover.
    const auto rectProbe = [](int i) {
        return QPoint(200 + 800 + i % 40 - 1, 200 + 600 + i % 40 - 1);
    };

    for (bool filled : {false, true}) {
        Stats s = run(layer, d, moves, rect(filled), rectProbe);
        report(filled ? "800x600 rectangle, solid interior" : "800x600 rectangle, hollow", s);
    }
    for (bool filled : {false, true}) {
        const auto figure = [w, h, filled](int i) {
            return ellipse(
                QRect(20 + i % 20, 20 + i % 20, w - 40 - 2 * (i % 20), h - 40 - 2 * (i % 20)),
                filled);
        };
        const auto probe = [w, h](int i) {
            // The figure shrinks by a pixel a side each move: probe the new left edge's middle.
            return QPoint(20 + i % 20, h / 2);
        };
        Stats s = run(layer, d, moves, figure, probe);
        report(filled ? "full-screen ellipse, solid interior" : "full-screen ellipse, hollow", s);
    }
    XDestroyWindow(d, beneath);
    XCloseDisplay(d);
    return 0;
}
