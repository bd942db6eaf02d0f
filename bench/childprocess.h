#pragma once

// Starting, stopping and measuring the program under test.

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bench {

/// Starts the program from its own folder, where it finds its settings and pictures; with a
/// log file, its standard output and error go there.
inline pid_t launch(const std::string& program, const std::string& log = {}) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!log.empty()) {
            const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0 || dup2(fd, STDERR_FILENO) < 0)
                _exit(127);
            close(fd);
        }
        const std::string::size_type slash = program.rfind('/');
        if (slash != std::string::npos && chdir(program.substr(0, slash + 1).c_str()) != 0)
            _exit(127);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

/// Asks the program to end; one that does not within 5 s is killed, so that it cannot keep
/// the virtual desktop alive.
inline void stop(pid_t pid) {
    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

/// CPU time the process's threads have run, in seconds. Read from the scheduler's own
/// accounting (nanoseconds) rather than from the 10 ms ticks of /proc/PID/stat, which cannot
/// tell an idle program's few milliseconds apart from zero.
inline double cpuSeconds(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return -1;
    unsigned long long total = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        unsigned long long runNanoseconds = 0;
        if (stat >> runNanoseconds)
            total += runNanoseconds;
    }
    closedir(dir);
    return double(total) / 1e9;
}

/// How many times each thread was given a processor, by "name/thread id": an idle thread that
/// wakes up is counted each time it does.
using ThreadWakeups = std::map<std::string, unsigned long long>;
inline ThreadWakeups threadWakeups(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    ThreadWakeups wakeups;
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return wakeups;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string task = tasks + "/" + entry->d_name;
        std::string name;
        std::getline(std::ifstream(task + "/comm"), name);
        std::ifstream stat(task + "/schedstat");
        unsigned long long runNanoseconds = 0, waitNanoseconds = 0, timesRun = 0;
        if (stat >> runNanoseconds >> waitNanoseconds >> timesRun)
            wakeups[name + "/" + entry->d_name] = timesRun;
    }
    closedir(dir);
    return wakeups;
}

/// Resident memory in megabytes.
inline double rssMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return -1;
}

} // namespace bench
