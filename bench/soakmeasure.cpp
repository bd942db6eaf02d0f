#include "soakmeasure.h"

#include "childprocess.h"
#include "soakuser.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sys/wait.h>

namespace bench::soak {

Program::Program(const std::string& path, const std::string& log)
    : m_pid(bench::launch(path, log)) {}

Program::~Program() {
    if (alive())
        bench::stop(m_pid);
}

bool Program::alive() {
    if (m_ended)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_ended = true;
        m_status = status;
    }
    return !m_ended;
}

long rssKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

namespace {

std::string describeEnd(int status) {
    if (WIFSIGNALED(status))
        return "killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    if (WIFEXITED(status))
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    return "ended";
}

const char* const Kinds[] = {"WINDOW", "PIXMAP", "GC"};

struct Range {
    long low = 0, high = 0;
    bool seen = false;
    void add(long v) {
        low = seen ? std::min(low, v) : v;
        high = seen ? std::max(high, v) : v;
        seen = true;
    }
};

// A resource kind is flat when the later half of the run never holds more of it than the
// earlier half did at most: what is made once, on first use, is allowed; what piles up is not.
bool flat(const std::vector<Sample>& samples,
          const std::function<long(const XResourceCounts&)>& of) {
    std::vector<long> values;
    for (const Sample& s : samples)
        if (s.resources)
            values.push_back(of(*s.resources));
    if (values.size() < 2)
        return true;
    const size_t half = (values.size() + 1) / 2;
    const long earlier = *std::max_element(values.begin(), values.begin() + long(half));
    const long later = *std::max_element(values.begin() + long(half), values.end());
    return later <= earlier;
}

} // namespace

void printHeader() {
    std::printf("%6s %5s %9s %7s %7s %5s %6s %9s %7s\n", "minute", "alive", "RSS_kB", "windows",
                "pixmaps", "GCs", "total", "pixmap_kB", "actions");
    std::fflush(stdout);
}

void printSample(const Sample& s) {
    if (!s.alive || !s.resources) {
        std::printf("%6d %5s %9s %7s %7s %5s %6s %9s %7d\n", s.minute, s.alive ? "yes" : "no",
                    s.rssKb < 0 ? "-" : std::to_string(s.rssKb).c_str(), "-", "-", "-", "-", "-",
                    s.actions);
    } else {
        const XResourceCounts& r = *s.resources;
        std::printf("%6d %5s %9ld %7ld %7ld %5ld %6ld %9ld %7d\n", s.minute, "yes", s.rssKb,
                    r.count("WINDOW"), r.count("PIXMAP"), r.count("GC"), r.total(),
                    r.pixmapBytes() / 1024, s.actions);
    }
    std::fflush(stdout);
}

int summarize(const std::vector<Sample>& samples, Program& program, const User& user, int minutes,
              unsigned seed) {
    std::printf("\n== summary: %d minute%s planned, seed %u\n", minutes, minutes == 1 ? "" : "s",
                seed);
    const bool crashed = !program.alive();
    if (crashed)
        std::printf("crash: YES, the program %s during minute %d\n",
                    describeEnd(program.status()).c_str(),
                    samples.empty() ? 1 : samples.back().minute);
    else
        std::printf("crash: no, the program ran to the end\n");

    const Sample* first = nullptr;
    const Sample* last = nullptr;
    for (const Sample& s : samples)
        if (s.alive && s.rssKb >= 0) {
            if (!first)
                first = &s;
            last = &s;
        }
    long growth = 0;
    if (first && last) {
        growth = last->rssKb - first->rssKb;
        std::printf("RSS: %ld kB after minute %d, %ld kB after minute %d: %+ld kB\n", first->rssKb,
                    first->minute, last->rssKb, last->minute, growth);
    }

    std::map<std::string, Range> ranges;
    Range total, pixmapKb;
    for (const Sample& s : samples)
        if (s.resources) {
            for (const char* kind : Kinds)
                ranges[kind].add(s.resources->count(kind));
            for (const auto& [kind, n] : s.resources->byKind())
                ranges[kind].add(n);
            total.add(s.resources->total());
            pixmapKb.add(s.resources->pixmapBytes() / 1024);
        }
    std::printf("X resources, min..max over the minutes: windows %ld..%ld, pixmaps %ld..%ld, "
                "GCs %ld..%ld, total %ld..%ld (pixmap memory %ld..%ld kB)\n",
                ranges["WINDOW"].low, ranges["WINDOW"].high, ranges["PIXMAP"].low,
                ranges["PIXMAP"].high, ranges["GC"].low, ranges["GC"].high, total.low, total.high,
                pixmapKb.low, pixmapKb.high);
    std::string others;
    for (const auto& [kind, range] : ranges)
        if (std::find(std::begin(Kinds), std::end(Kinds), kind) == std::end(Kinds))
            others +=
                " " + kind + " " + std::to_string(range.low) + ".." + std::to_string(range.high);
    std::printf("  other kinds:%s\n", others.empty() ? " none" : others.c_str());

    std::printf("actions (%d):", user.actions());
    for (const auto& [what, n] : user.done())
        std::printf(" %s %d;", what.c_str(), n);
    std::printf("\nhiccups:");
    if (user.hiccups().empty())
        std::printf(" none");
    for (const auto& [what, n] : user.hiccups())
        std::printf(" %s %d;", what.c_str(), n);
    std::printf("\n");

    bool resourcesFlat = true;
    for (const char* kind : Kinds)
        resourcesFlat = resourcesFlat &&
                        flat(samples, [kind](const XResourceCounts& r) { return r.count(kind); });
    resourcesFlat =
        resourcesFlat && flat(samples, [](const XResourceCounts& r) { return r.total(); });
    const bool rssOk = first && last && growth < 2048;
    std::printf("goals: no crash: %s; RSS growth after minute 1 under 2048 kB: %s (%+ld kB); X "
                "resources flat (the later half never above the earlier half's maximum): %s\n",
                crashed ? "NO" : "yes", rssOk ? "yes" : "NO", growth, resourcesFlat ? "yes" : "NO");
    std::fflush(stdout);
    return crashed ? 1 : 0;
}

} // namespace bench::soak
