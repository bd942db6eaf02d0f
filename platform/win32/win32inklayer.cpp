#include "platform/win32/win32inklayer.h"

#include "platform/win32/win32windowclass.h"

#include <QRect>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace kerulo {

namespace {
const wchar_t ClassName[] = L"KeruloInkLayer";

QSize primaryScreenPixels() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// A top-down 32-bit device-independent bitmap: rows in the image's order, each pixel a
// little-endian 0xAARRGGBB, premultiplied, as the layered window wants it.
BITMAPINFO topDownBitmap(QSize size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width();
    info.bmiHeader.biHeight = -size.height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

RECT bounds(const std::vector<QRect>& areas) {
    QRect all;
    for (const QRect& a : areas)
        all |= a;
    return {all.left(), all.top(), all.right() + 1, all.bottom() + 1};
}
} // namespace

Win32InkLayer::Win32InkLayer()
    : m_image(primaryScreenPixels(), [this](const std::vector<QRect>& areas, quint32* screen) {
          readScreen(areas, screen);
      }) {
    registerWindowClass(ClassName, DefWindowProcW, "the pen's ink layer");
    const QSize size = m_image.size();
    m_window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST |
                                   WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                               ClassName, L"Kerulo ink", WS_POPUP, 0, 0, size.width(),
                               size.height(), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_window)
        throw std::runtime_error("The pen's ink layer could not be created (error " +
                                 std::to_string(GetLastError()) + ").");
    m_memory = CreateCompatibleDC(nullptr);
    const BITMAPINFO info = topDownBitmap(size);
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_memory || !m_bitmap) {
        if (m_memory)
            DeleteDC(m_memory);
        DestroyWindow(m_window);
        throw std::runtime_error("The pen's ink layer got no pixels from Windows.");
    }
    m_bits = static_cast<quint32*>(bits);
    m_previousBitmap = SelectObject(m_memory, m_bitmap);
}

Win32InkLayer::~Win32InkLayer() {
    SelectObject(m_memory, m_previousBitmap);
    DeleteObject(m_bitmap);
    DeleteDC(m_memory);
    DestroyWindow(m_window);
}

void Win32InkLayer::paint(const Raster& figure, QRgb penColour, QRgb brushColour,
                          RasterMode mode) {
    m_image.paint(figure, penColour, brushColour, mode);
    scheduleUpload();
}

void Win32InkLayer::clear() {
    m_image.clear();
    std::memset(m_bits, 0, size_t(m_image.size().width()) * size_t(m_image.size().height()) * 4);
    m_wholeWindowStale = true;
    if (m_shown) {
        ShowWindow(m_window, SW_HIDE);
        m_shown = false;
    }
}

void Win32InkLayer::showLayer() {
    m_hidden = false;
    m_image.forgetScreen();
    if (m_image.hasStrokes())
        show();
}

void Win32InkLayer::hideLayer() {
    m_hidden = true;
    if (m_shown) {
        ShowWindow(m_window, SW_HIDE);
        m_shown = false;
    }
}

// Raised on every showing: top-most windows that came up meanwhile would cover the figures.
void Win32InkLayer::show() {
    if (m_hidden)
        return;
    SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    m_shown = true;
}

void Win32InkLayer::scheduleUpload() {
    if (m_uploadPending)
        return;
    m_uploadPending = true;
    QMetaObject::invokeMethod(
        &m_queue, [this] { upload(); }, Qt::QueuedConnection);
}

// The window keeps its own copy of the pixels: only the rectangle around what changed is sent.
void Win32InkLayer::upload() {
    m_uploadPending = false;
    const std::vector<QRect> areas = m_image.takeChanges();
    const quint32* pixels = m_image.pixels();
    if (areas.empty() || !pixels)
        return;
    const size_t stride = size_t(m_image.size().width());
    for (const QRect& a : areas)
        for (int y = a.top(); y <= a.bottom(); ++y)
            std::memcpy(m_bits + size_t(y) * stride + size_t(a.left()),
                        pixels + size_t(y) * stride + size_t(a.left()),
                        size_t(a.width()) * sizeof(quint32));
    GdiFlush();

    POINT origin{0, 0};
    SIZE size{m_image.size().width(), m_image.size().height()};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const RECT dirty = bounds(areas);
    UPDATELAYEREDWINDOWINFO update{};
    update.cbSize = sizeof update;
    update.pptDst = &origin;
    update.psize = &size;
    update.hdcSrc = m_memory;
    update.pptSrc = &origin;
    update.pblend = &blend;
    update.dwFlags = ULW_ALPHA;
    update.prcDirty = m_wholeWindowStale ? nullptr : &dirty;
    if (!UpdateLayeredWindowIndirect(m_window, &update) && update.prcDirty) {
        update.prcDirty = nullptr;
        UpdateLayeredWindowIndirect(m_window, &update);
    }
    m_wholeWindowStale = false;
    if (!m_shown && m_image.hasStrokes())
        show();
}

// What the screen shows, this layer included (CAPTUREBLT), copied as opaque pixels.
void Win32InkLayer::readScreen(const std::vector<QRect>& areas, quint32* screen) {
    HDC desktop = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(desktop);
    bool complete = desktop && copy;
    const size_t stride = size_t(m_image.size().width());
    for (const QRect& a : areas) {
        if (!complete)
            break;
        const BITMAPINFO info = topDownBitmap(a.size());
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bitmap) {
            complete = false;
            break;
        }
        HGDIOBJ previous = SelectObject(copy, bitmap);
        complete = BitBlt(copy, 0, 0, a.width(), a.height(), desktop, a.x(), a.y(),
                          SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const auto* from = static_cast<const quint32*>(bits);
        for (int row = 0; complete && row < a.height(); ++row) {
            quint32* to = screen + size_t(a.y() + row) * stride + size_t(a.x());
            const quint32* source = from + size_t(row) * size_t(a.width());
            std::transform(source, source + a.width(), to,
                           [](quint32 p) { return p | 0xff000000u; });
        }
        SelectObject(copy, previous);
        DeleteObject(bitmap);
    }
    if (copy)
        DeleteDC(copy);
    if (desktop)
        ReleaseDC(nullptr, desktop);
    if (!complete)
        throw std::runtime_error("The screen could not be read for the pen's rubber band.");
}

} // namespace kerulo
