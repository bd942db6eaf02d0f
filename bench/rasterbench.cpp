// Time the pen's rasterizer on the figures a rubber band paints on every mouse motion.
// Prints microseconds per figure; no pass or fail.

#include "pen/figurerasterizer.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using kerulo::BrushStyle;
using kerulo::FigureRasterizer;
using kerulo::PenShape;
using kerulo::PenStyle;
using kerulo::Raster;

namespace {

struct Figure {
    const char* what;
    std::function<Raster(const FigureRasterizer&, int)> draw;
};

} // namespace

int main() {
    // The track point moves by a pixel each time, as it does during a drag.
    const std::vector<Figure> figures = {
        {"rectangle 800x600",
         [](const FigureRasterizer& r, int i) {
             return r.rectangle({100, 80}, {900 + i % 2, 680});
         }},
        {"ellipse 1920x1080",
         [](const FigureRasterizer& r, int i) {
             return r.ellipse({0, 0}, {1920 - i % 2, 1080});
         }},
        {"rounded rectangle 800x600",
         [](const FigureRasterizer& r, int i) {
             return r.roundRect({100, 80}, {900 + i % 2, 680}, -400, -300);
         }},
        {"line 1900x1000",
         [](const FigureRasterizer& r, int i) {
             return r.line({10, 10}, {1910, 1010 - i % 2});
         }},
    };
    const struct {
        const char* what;
        PenShape pen;
        BrushStyle brush;
    } pens[] = {
        {"width 1", {1, PenStyle::Solid, 1}, BrushStyle::Solid},
        {"width 5", {5, PenStyle::Solid, 1}, BrushStyle::Solid},
        {"width 1 dash-dot, cross hatch", {1, PenStyle::DashDot, 1}, BrushStyle::Cross},
        {"width 1 hollow", {1, PenStyle::Solid, 1}, BrushStyle::Hollow},
        {"width 5 at scale 2", {5, PenStyle::Solid, 2}, BrushStyle::Solid},
    };
    // The best of several repeats, since other work on the machine only ever adds time.
    const int rounds = 200;
    const int repeats = 5;
    for (const auto& figure : figures)
        for (const auto& pen : pens) {
            const FigureRasterizer rasterizer(pen.pen, pen.brush);
            double best = 0;
            std::size_t spans = 0;
            for (int repeat = 0; repeat < repeats; ++repeat) {
                spans = 0;
                const auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < rounds; ++i) {
                    const Raster raster = figure.draw(rasterizer, i);
                    spans += raster.pen.size() + raster.brush.size();
                }
                const std::chrono::duration<double, std::micro> spent =
                    std::chrono::steady_clock::now() - start;
                if (repeat == 0 || spent.count() < best)
                    best = spent.count();
            }
            std::printf("%-28s %-32s %8.1f us/figure %7zu spans\n", figure.what, pen.what,
                        best / rounds, spans / rounds);
        }
    return 0;
}
