// sendkeys KEY...: presses and releases each key in turn through SendInput, as a keyboard would.
// Keys are F1 to F24 and Escape. Under Wine, input sent from inside Wine reaches the program's
// system hot keys whichever window has the focus, where key presses from the X server reach them
// only while a Wine window has it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

WORD virtualKeyOf(const char* name) {
    if (std::strcmp(name, "Escape") == 0)
        return VK_ESCAPE;
    if (name[0] == 'F' && name[1] != '\0') {
        char* end = nullptr;
        const long number = std::strtol(name + 1, &end, 10);
        if (*end == '\0' && number >= 1 && number <= 24)
            return WORD(VK_F1 + number - 1);
    }
    return 0;
}

INPUT keyEvent(WORD key, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = WORD(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sendkeys KEY...  (F1 to F24, Escape)\n");
        return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const WORD key = virtualKeyOf(argv[i]);
        if (key == 0) {
            std::fprintf(stderr, "sendkeys: unknown key %s\n", argv[i]);
            return 2;
        }
        INPUT press[2] = {keyEvent(key, false), keyEvent(key, true)};
        if (SendInput(2, press, sizeof(INPUT)) != 2) {
            std::fprintf(stderr, "sendkeys: SendInput refused %s (error %lu)\n", argv[i],
                         GetLastError());
            return 1;
        }
    }
    return 0;
}
