#pragma once

#include "xdisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kerulo::e2e {

/// Finds the program's windows on a display by what the desktop sees of them.
class KeruloProbe {
public:
    explicit KeruloProbe(XDisplay& x) : m_x(x) {}

    std::optional<XWindowInfo> mappedNamed(const QString& name, bool overrideRedirect) const {
        for (const XWindowInfo& w : m_x.mappedWindowsOfClass(Class))
            if (w.name == name && w.overrideRedirect == overrideRedirect)
                return w;
        return std::nullopt;
    }
    std::optional<XWindowInfo> toolbar() const { return mappedNamed("Kerulo", true); }
    std::optional<XWindowInfo> followImage() const { return mappedNamed("跟随2", true); }
    std::optional<XWindowInfo> halo() const { return mappedNamed("特效3", true); }
    /// The program's message box: a managed window with the program's title.
    std::optional<XWindowInfo> messageBox() const { return mappedNamed("Kerulo", false); }
    std::optional<XWindowInfo> penToolbox() const { return mappedNamed("Form9", false); }

    /// Whether the pen's surface is up and takes the mouse: its veil where a compositor blends
    /// it, elsewhere an input-only window over the whole screen (which has no class or name).
    bool penSurfaceUp() const {
        if (mappedNamed("Form8", true))
            return true;
        const QRect screen(QPoint(0, 0), m_x.screenSize());
        for (const XWindowInfo& w : m_x.allWindows())
            if (w.mapped && w.inputOnly && w.overrideRedirect && w.geometry == screen)
                return true;
        return false;
    }

    // The icon is embedded in the tray host's panel along the top-left of the screen.
    std::optional<XWindowInfo> trayIcon() const {
        for (const XWindowInfo& w : m_x.mappedWindowsOfClass(Class))
            if (QRect(0, 0, 200, 40).contains(w.geometry) && w.geometry.width() <= 64)
                return w;
        return std::nullopt;
    }

    std::optional<XWindowInfo> popupMenu() const {
        for (const XWindowInfo& w : m_x.mappedWindowsOfClass(Class))
            if (isOwnMenu(w))
                return w;
        return std::nullopt;
    }

    /// Every pop-up menu on screen: the program's own, which the toolkit does not mark with a
    /// window type, and those of other programs (a panel's), which are marked as menus.
    std::vector<XWindowInfo> menusOnScreen() const {
        std::vector<XWindowInfo> menus =
            m_x.mappedTopLevelsOfType("_NET_WM_WINDOW_TYPE_POPUP_MENU");
        for (const XWindowInfo& w : m_x.mappedWindowsOfClass(Class))
            if (isOwnMenu(w) && std::none_of(menus.begin(), menus.end(),
                                             [&](const XWindowInfo& m) { return m.id == w.id; }))
                menus.push_back(w);
        return menus;
    }

    void clickAt(QPoint p, int button = 1) const {
        m_x.movePointer(p.x(), p.y());
        m_x.click(button);
    }

    /// Brings the toolbar out and clicks one of its panels, by its top within the toolbar, on a
    /// display whose windows are scaled by the given factor. Where that is not whole, the
    /// toolkit rounds the toolbar's place to a screen pixel either way.
    void clickToolbarPanel(int panelTop, double scale = 1) const {
        const int top = m_x.screenSize().height() / 2;
        const int right = m_x.screenSize().width();
        const auto at = [scale](int logical) { return int(std::lround(logical * scale)); };
        m_x.movePointer(right - 1, top + at(100));
        waitUntil(1000, [&] {
            return toolbar() && std::abs(toolbar()->geometry.x() - (right - 65 * scale)) <= 1;
        });
        clickAt({right - at(33), top + at(panelTop + 12)});
    }

    static inline const QString Class = QStringLiteral("kerulo");

private:
    static bool isOwnMenu(const XWindowInfo& w) {
        return w.overrideRedirect && w.name != "Kerulo" && w.name != "跟随2" && w.name != "特效3" &&
               w.geometry.height() > 100 && w.geometry.width() < 400;
    }

    XDisplay& m_x;
};

/// Tops of the toolbar's panels.
namespace Panel {
constexpr int Close = 8, Settings = 40, Follow = 72, Halo = 104, Pen = 136, Help = 168;
}

} // namespace kerulo::e2e
