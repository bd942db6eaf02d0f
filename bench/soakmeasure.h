// The soak run's measuring: the program under test, what each minute finds, and the summary.
#pragma once

#include "xresourcecounts.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace bench::soak {

class User;

struct Sample {
    int minute = 0;
    bool alive = false;
    long rssKb = -1;
    std::optional<XResourceCounts> resources;
    int actions = 0;
};

/// The program under test and what it has done so far.
class Program {
public:
    Program(const std::string& path, const std::string& log);
    ~Program();

    pid_t pid() const { return m_pid; }
    bool alive();
    int status() const { return m_status; }

private:
    pid_t m_pid;
    bool m_ended = false;
    int m_status = 0;
};

/// The resident memory of the process in kB, or -1 when it cannot be read.
long rssKilobytes(pid_t pid);

/// The table's header, then one line per minute.
void printHeader();
void printSample(const Sample& s);

/// Prints the run's summary; 1 when the program died, else 0.
int summarize(const std::vector<Sample>& samples, Program& program, const User& user, int minutes,
              unsigned seed);

} // namespace bench::soak
