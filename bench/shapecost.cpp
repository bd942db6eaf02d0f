// What a shaped window over the whole screen costs the X server, for keeping figures in a window
// of their own on a desktop without a compositor: the server CPU to set the shape of typical
// figures, and then to move a window beneath and to repaint the desktop while that shape stands.
// A shape is a region of rectangles; a hatched brush's lines make it hundreds of thousands.
// Usage: kerulo_shapecost XSERVER_PID   (on the display in $DISPLAY)
#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

double cpuSeconds(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return 0;
    char text[2048];
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = 0;
    const char* afterName = std::strrchr(text, ')');
    unsigned long user = 0, system = 0;
    if (!afterName || std::sscanf(afterName + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                                  &user, &system) != 2)
        return 0;
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

void roundTrip(xcb_connection_t* c) {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

struct Figure {
    const char* what;
    std::vector<xcb_rectangle_t> rectangles;
    // Window operations under the worst shapes take seconds each: measured for the others.
    bool operations;
};

std::vector<Figure> figures(int w, int h) {
    std::vector<Figure> out;
    Figure strokes{"200 freehand strokes, 5 px pen", {}, true};
    for (int k = 0; k < 200; ++k) {
        const int x = 50 + (k % 10) * 180, y = 50 + (k / 10) * 50;
        for (int row = y; row < y + 5; ++row)
            strokes.rectangles.push_back({int16_t(x), int16_t(row), 300, 1});
    }
    out.push_back(std::move(strokes));
    Figure solid{"full-screen solid figure", {}, true};
    for (int y = 0; y < h; ++y)
        solid.rectangles.push_back({0, int16_t(y), uint16_t(w), 1});
    out.push_back(std::move(solid));
    Figure cross{"full-screen cross hatch", {}, true};
    for (int y = 0; y < h; ++y) {
        if (y % 8 == 0)
            cross.rectangles.push_back({0, int16_t(y), uint16_t(w), 1});
        else
            for (int x = 0; x < w; x += 8)
                cross.rectangles.push_back({int16_t(x), int16_t(y), 1, 1});
    }
    out.push_back(std::move(cross));
    Figure diagonal{"full-screen diagonal hatch", {}, false};
    for (int y = 0; y < h; ++y)
        for (int x = y % 8; x < w; x += 8)
            diagonal.rectangles.push_back({int16_t(x), int16_t(y), 1, 1});
    out.push_back(std::move(diagonal));
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s XSERVER_PID\n", argv[0]);
        return 2;
    }
    const pid_t server = pid_t(std::atoi(argv[1]));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const int w = s->width_in_pixels, h = s->height_in_pixels;

    // A window beneath that is moved about, and the shaped window over everything, its pixels
    // kept by the server in its background pixmap.
    const xcb_window_t beneath = xcb_generate_id(c);
    const uint32_t beneathValues[] = {s->white_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, beneath, s->root, 100, 100, 800, 600, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, beneathValues);
    xcb_map_window(c, beneath);
    const xcb_pixmap_t pixels = xcb_generate_id(c);
    xcb_create_pixmap(c, s->root_depth, pixels, s->root, uint16_t(w), uint16_t(h));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t red = 0xff0000;
    xcb_create_gc(c, gc, pixels, XCB_GC_FOREGROUND, &red);
    const xcb_rectangle_t all{0, 0, uint16_t(w), uint16_t(h)};
    xcb_poly_fill_rectangle(c, pixels, gc, 1, &all);
    const xcb_window_t shaped = xcb_generate_id(c);
    const uint32_t shapedValues[] = {pixels, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, shaped, s->root, 0, 0, uint16_t(w), uint16_t(h), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT, shapedValues);
    for (const xcb_shape_kind_t kind : {XCB_SHAPE_SK_INPUT, XCB_SHAPE_SK_BOUNDING})
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, kind, XCB_CLIP_ORDERING_UNSORTED, shaped, 0, 0, 0,
                             nullptr);
    xcb_map_window(c, shaped);
    roundTrip(c);

    constexpr int Operations = 20;
    // A request holds at most 256 KB without the big-requests extension.
    constexpr size_t PerRequest = 30000;
    const double tick = 1e3 / double(sysconf(_SC_CLK_TCK));
    std::printf("X server CPU (%dx%d), counted in ticks of %.0f ms: %.1f ms per operation at "
                "best:\n",
                w, h, tick, tick / Operations);
    for (const Figure& figure : figures(w, h)) {
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                             XCB_CLIP_ORDERING_UNSORTED, shaped, 0, 0, 0, nullptr);
        roundTrip(c);
        double before = cpuSeconds(server);
        for (size_t i = 0; i < figure.rectangles.size(); i += PerRequest)
            xcb_shape_rectangles(c, XCB_SHAPE_SO_UNION, XCB_SHAPE_SK_BOUNDING,
                                 XCB_CLIP_ORDERING_Y_SORTED, shaped, 0, 0,
                                 uint32_t(std::min(PerRequest, figure.rectangles.size() - i)),
                                 figure.rectangles.data() + i);
        roundTrip(c);
        std::printf("  %-32s %7zu rectangles: shape %8.1f ms", figure.what,
                    figure.rectangles.size(), (cpuSeconds(server) - before) * 1e3);
        if (!figure.operations) {
            std::printf("; window operations not measured (seconds each)\n");
            continue;
        }
        before = cpuSeconds(server);
        for (int i = 0; i < Operations; ++i) {
            const uint32_t at[] = {uint32_t(100 + i * 10), uint32_t(100 + i % 7 * 10)};
            xcb_configure_window(c, beneath, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
            roundTrip(c);
        }
        const double move = (cpuSeconds(server) - before) / Operations * 1e3;
        before = cpuSeconds(server);
        for (int i = 0; i < Operations; ++i) {
            xcb_clear_area(c, 1, s->root, 0, 0, 0, 0);
            roundTrip(c);
        }
        const double repaint = (cpuSeconds(server) - before) / Operations * 1e3;
        std::printf(", a move beneath %.1f ms, a desktop repaint %.1f ms\n", move, repaint);
    }
    xcb_disconnect(c);
    return 0;
}
