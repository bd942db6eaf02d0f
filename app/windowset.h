#pragma once

#include "platform/platform.h"

#include <memory>

namespace kerulo {

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm8;
class TForm9;

/// The seven windows, created once in a fixed order and destroyed together, last created
/// first. Windows reach each other only through these references.
class WindowSet {
public:
    explicit WindowSet(Platform platform);
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

    /// The start of the message loop: shows the main window.
    void showMainWindow();

    /// Ends the program once the current event has been handled.
    void terminate();

    const Platform& platform() const { return m_platform; }

    // Declared in creation order, so that they are destroyed in reverse.
    std::unique_ptr<TForm2> Form2; // follow image, the main window
    std::unique_ptr<TForm1> Form1; // edge toolbar
    std::unique_ptr<TForm3> Form3; // halo
    std::unique_ptr<TForm4> Form4; // settings dialog
    std::unique_ptr<TForm5> Form5; // help
    std::unique_ptr<TForm8> Form8; // pen surface
    std::unique_ptr<TForm9> Form9; // pen toolbox

private:
    template <typename Form> void create(std::unique_ptr<Form>& slot);

    Platform m_platform;
};

} // namespace kerulo
