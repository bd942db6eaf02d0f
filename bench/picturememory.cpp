// Memory the follow picture costs for a large PNG: writes a 16384 x 3900 RGBA picture (or takes
// the file given), then loads it in a fresh process image so the figures hold nothing of the
// writing. Prints the most memory the decoding held at once, as the decoder counts it, and the
// resident set's growth while loading; no pass or fail.
// Usage: kerulo_picturememory [PNG]

#include "effects/followpicture.h"
#include "effects/pictureerror.h"
#include "effects/pngdecoder.h"
#include "testpicture.h"

#include <QString>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

constexpr int Width = 16384;
constexpr int Height = 3900;

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, key.size(), key) == 0)
            return std::stol(line.substr(key.size()));
    return -1;
}

int load(const char* path) {
    const long before = statusKb("VmHWM");
    std::size_t peak = 0;
    try {
        const QImage shown = kerulo::composeFollowPicture(kerulo::PngDecoder::decodeTopLeft(
            QString::fromLocal8Bit(path), kerulo::FollowPictureSide, &peak));
        std::printf("loaded: %d x %d shown\n", shown.width(), shown.height());
    } catch (const kerulo::PictureError& error) {
        std::printf("refused: %s\n", error.what());
    }
    std::printf("decoder's peak: %zu bytes\n", peak);
    const long after = statusKb("VmHWM");
    std::printf("peak resident set: %ld kB before loading, %ld kB after; loading added %ld kB\n",
                before, after, after - before);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0)
        return load(argv[2]);
    if (argc == 2)
        return load(argv[1]);

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("large.png"));
    std::printf("writing a %d x %d RGBA picture ...\n", Width, Height);
    std::fflush(stdout);
    kerulo::test::TestPicture(
        PNG_COLOR_TYPE_RGB_ALPHA, 8, Width, Height,
        [](int x, int y, int channel) { return unsigned(x * 3 + y * 5 + channel * 71) & 0xff; })
        .write(path);
    std::fflush(stdout);
    // A child process, so the folder outlives the load and is removed afterwards.
    const pid_t child = fork();
    if (child == 0) {
        const QByteArray file = path.toLocal8Bit();
        execl("/proc/self/exe", argv[0], "--load", file.constData(), static_cast<char*>(nullptr));
        std::perror("exec");
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
