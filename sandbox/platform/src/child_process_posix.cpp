#include "plix/platform/child_process.h"
#include "plix/platform/stop_requests.h"

#include <cctype>
#include <csignal>
#include <iterator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

extern char **environ;

namespace plix::platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int readEnd = -1;
    int writeEnd = -1;
    ~Pipe() { closeBoth(); }
    bool create() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        readEnd = fds[0];
        writeEnd = fds[1];
        return true;
    }
    void closeWrite() {
        if (writeEnd >= 0) ::close(writeEnd);
        writeEnd = -1;
    }
    void closeRead() {
        if (readEnd >= 0) ::close(readEnd);
        readEnd = -1;
    }
    void closeBoth() {
        closeWrite();
        closeRead();
    }
};

std::vector<std::string> childEnvironment(const ChildOptions &options) {
    std::vector<std::string> env;
    for (char **entry = environ; entry && *entry; ++entry) {
        std::string text(*entry);
        bool replaced = false;
        for (const auto &[name, value] : options.extraEnvironment)
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        if (!replaced) env.push_back(std::move(text));
    }
    for (const auto &[name, value] : options.extraEnvironment) env.push_back(name + "=" + value);
    return env;
}

std::vector<char *> pointerList(std::vector<std::string> &texts) {
    std::vector<char *> list;
    for (auto &text : texts) list.push_back(text.data());
    list.push_back(nullptr);
    return list;
}

// Reads what is available from `pipe` into `sink`; closes the pipe at its end.
void drain(Pipe &pipe, std::string &sink, std::size_t cap, bool &truncated) {
    char buffer[65536];
    const ssize_t n = ::read(pipe.readEnd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        pipe.closeRead();
        return;
    }
    const std::size_t room = sink.size() < cap ? cap - sink.size() : 0;
    const std::size_t take = static_cast<std::size_t>(n) < room ? static_cast<std::size_t>(n) : room;
    sink.append(buffer, take);
    if (take < static_cast<std::size_t>(n)) truncated = true;
}

// True once the child has ended; it stays a zombie (not reaped), so its process
// id, which is also its group's id, cannot be reused meanwhile.
bool hasEnded(pid_t pid) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

int reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Whether a process of `group` other than a zombie still runs. Linux reads
// /proc (a zombie nobody reaps must not count); elsewhere, any member counts.
bool groupStillRuns(pid_t group) {
#ifdef __linux__
    if (DIR *proc = opendir("/proc")) {
        bool running = false;
        while (const dirent *entry = readdir(proc)) {
            if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
            const std::string path = std::string("/proc/") + entry->d_name + "/stat";
            FILE *file = std::fopen(path.c_str(), "r");
            if (!file) continue;
            char line[1024];
            const bool read = std::fgets(line, sizeof line, file) != nullptr;
            std::fclose(file);
            // "pid (name) state ppid pgrp ...": the name may hold anything, so read after its last ')'.
            const char *close = read ? std::strrchr(line, ')') : nullptr;
            char state = 0;
            long ppid = 0, pgrp = 0;
            if (close && std::sscanf(close + 1, " %c %ld %ld", &state, &ppid, &pgrp) == 3 && pgrp == group &&
                state != 'Z' && state != 'X')
                running = true;
        }
        closedir(proc);
        return running;
    }
#endif
    return kill(-group, 0) == 0;
}

// Reads both pipes until each ends or `until` has passed.
void drainUntil(Pipe &out, Pipe &err, ChildResult &result, const ChildOptions &options, Clock::time_point until,
                int tickMillis, const std::function<bool()> &stop) {
    while (out.readEnd >= 0 || err.readEnd >= 0) {
        if (stop && stop()) return;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) return;
        pollfd fds[2] = {{out.readEnd, POLLIN, 0}, {err.readEnd, POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(left < tickMillis ? left : tickMillis));
        if (ready < 0 && errno != EINTR) return;
        if (ready <= 0) continue;
        if (fds[0].revents) drain(out, result.out, options.maxCapturedBytes, result.outputTruncated);
        if (fds[1].revents) drain(err, result.err, options.maxCapturedBytes, result.outputTruncated);
    }
}

} // namespace

ChildResult runChild(const std::filesystem::path &executable, const std::vector<std::string> &arguments,
                     const ChildOptions &options) {
    ChildResult result;
    Pipe out, err;
    if (!out.create() || !err.create()) {
        result.startError = std::string("pipe: ") + std::strerror(errno);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.writeEnd, 1);
    posix_spawn_file_actions_adddup2(&actions, err.writeEnd, 2);

    std::vector<std::string> argTexts{executable.string()};
    argTexts.insert(argTexts.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv = pointerList(argTexts);
    std::vector<std::string> envTexts = childEnvironment(options);
    std::vector<char *> envp = pointerList(envTexts);

    // The child leads a process group of its own: everything it starts can be
    // found and killed with it.
    // From before the child exists, so no stop request can slip between.
    const StopRequests stopRequests;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int spawnError =
        posix_spawn(&pid, argTexts[0].c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    out.closeWrite();
    err.closeWrite();
    if (spawnError != 0) {
        result.startError = "cannot start " + argTexts[0] + ": " + std::strerror(spawnError);
        return result;
    }
    const pid_t group = pid;

    // Output is read while the child runs; its end is noticed within a tick
    // even when a process it started still holds the pipes open.
    const auto deadline = Clock::now() + options.timeout;
    bool ended = false;
    drainUntil(out, err, result, options, deadline, 10,
               [&] { return stopRequestSignal() != 0 || (ended = hasEnded(pid)); });
    while (!ended && stopRequestSignal() == 0 && Clock::now() < deadline) {
        ended = hasEnded(pid);
        if (!ended) usleep(2000);
    }
    if (const int signal = stopRequestSignal(); signal != 0) {
        kill(-group, SIGKILL);
        reap(pid);
        result.outcome = ChildOutcome::Interrupted;
        result.interruptSignal = signal;
        return result;
    }
    if (!ended) {
        kill(-group, SIGKILL);
        reap(pid);
        result.outcome = ChildOutcome::TimedOut;
        return result;
    }
    const int status = reap(pid);
    if (groupStillRuns(group)) {
        result.leftProcesses = true;
        kill(-group, SIGKILL);
    }
    // What is left in the pipes; a process that left the group may hold them
    // open for ever, so only briefly.
    drainUntil(out, err, result, options, Clock::now() + std::chrono::seconds(2), 100, {});

    if (WIFSIGNALED(status)) {
        result.outcome = ChildOutcome::Crashed;
        result.crashCode = WTERMSIG(status);
    } else {
        result.outcome = ChildOutcome::Exited;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    }
    return result;
}

std::string crashText(int crashCode) {
    std::string text = "killed by signal " + std::to_string(crashCode);
    const char *abbreviation = sigabbrev_np(crashCode);
    const char *description = sigdescr_np(crashCode);
    if (abbreviation) {
        text += std::string(" (SIG") + abbreviation;
        if (description) {
            std::string words(description);
            if (!words.empty()) words[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(words[0])));
            text += ", " + words;
        }
        text += ")";
    }
    return text;
}

void endWithParent() {
#ifdef __linux__
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(128 + SIGKILL); // the parent died before the signal was set
#endif
}

long currentProcessId() { return static_cast<long>(::getpid()); }

bool processRunning(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace plix::platform
