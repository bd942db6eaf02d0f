#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPoint>

#include <cstdint>

struct xcb_connection_t;

namespace kerulo {

/// An invisible window over the whole screen that takes every button press, move and release
/// while it is shown and reports them in screen pixels. It has no pixels of its own, so it
/// hides nothing on a desktop that cannot blend windows, and shows the crosshair pointer.
class X11InputSurface : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11InputSurface(xcb_connection_t* connection, QObject* parent = nullptr);
    ~X11InputSurface() override;

    /// Covers the whole screen, above every window there is now.
    void show();
    void hide();
    bool isShown() const { return m_shown; }
    uint32_t windowId() const { return m_window; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void pressed(QPoint position);
    void moved(QPoint position);
    void released(QPoint position);

private:
    xcb_connection_t* m_connection;
    uint32_t m_root = 0;
    uint32_t m_window = 0;
    uint32_t m_cursor = 0;
    bool m_shown = false;
};

} // namespace kerulo
