#pragma once

#include "image/inkimage.h"
#include "platform/screenpainter.h"

#include <QObject>

#include <windows.h>

namespace kerulo {

/// The pen's figures on Windows, where the desktop window manager composes every window and
/// paint on the screen's own surface is wiped by the next repaint beneath. The figures live on
/// a per-pixel-alpha layered window over the primary screen (UpdateLayeredWindow): top-most,
/// clear where nothing is painted, transparent to the mouse and off the task bar. Changes go to
/// the window once control is back in the event loop, and then only the pixels that differ.
///
/// The window comes on the screen with the first figure that leaves a pixel on it and stays
/// until clear() or hideLayer(). It covers the primary screen as it was when the layer was made,
/// in device pixels.
class Win32InkLayer : public ScreenPainter {
public:
    /// Throws std::runtime_error when Windows does not make the window or its pixels.
    Win32InkLayer();
    ~Win32InkLayer() override;
    Win32InkLayer(const Win32InkLayer&) = delete;
    Win32InkLayer& operator=(const Win32InkLayer&) = delete;

    /// Not-xor figures read the screen when they are applied, from the event loop.
    void paint(const Raster& figure, QRgb penColour, QRgb brushColour, RasterMode mode) override;
    /// Every figure goes and the window leaves the screen.
    void clear();
    /// Puts the window back on the screen, over every other, with the figures it holds; the
    /// next not-xor figure reads the screen afresh.
    void showLayer();
    /// Takes the window off the screen; its figures are kept.
    void hideLayer();
    bool hasStrokes() const { return m_image.hasStrokes(); }
    HWND window() const { return m_window; }

private:
    void readScreen(const std::vector<QRect>& areas, quint32* screen);
    void show();
    void scheduleUpload();
    void upload();

    HWND m_window = nullptr;
    HDC m_memory = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previousBitmap = nullptr;
    quint32* m_bits = nullptr;
    bool m_shown = false;
    bool m_hidden = false;
    bool m_uploadPending = false;
    /// The window's own copy may differ anywhere: the next update sends every pixel.
    bool m_wholeWindowStale = true;
    mutable InkImage m_image;
    QObject m_queue;
};

} // namespace kerulo
