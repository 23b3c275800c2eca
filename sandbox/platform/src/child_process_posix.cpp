#include "plix/platform/child_process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Waits for the child until the deadline; true when it has been reaped.
bool reapBefore(pid_t pid, Clock::time_point deadline, int &status) {
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return true;
        if (done < 0 && errno != EINTR) return true; // nothing left to wait for
        if (Clock::now() >= deadline) return false;
        usleep(2000);
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

    pid_t pid = -1;
    const int spawnError =
        posix_spawn(&pid, argTexts[0].c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    out.closeWrite();
    err.closeWrite();
    if (spawnError != 0) {
        result.startError = "cannot start " + argTexts[0] + ": " + std::strerror(spawnError);
        return result;
    }

    const auto deadline = Clock::now() + options.timeout;
    bool timedOut = false;
    while (out.readEnd >= 0 || err.readEnd >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[2] = {{out.readEnd, POLLIN, 0}, {err.readEnd, POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(left < 1000 ? left : 1000));
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        if (fds[0].revents) drain(out, result.out, options.maxCapturedBytes, result.outputTruncated);
        if (fds[1].revents) drain(err, result.err, options.maxCapturedBytes, result.outputTruncated);
    }

    int status = 0;
    if (timedOut || !reapBefore(pid, deadline, status)) {
        kill(pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.outcome = ChildOutcome::TimedOut;
        return result;
    }
    if (WIFSIGNALED(status)) {
        result.outcome = ChildOutcome::Crashed;
        result.crashCode = WTERMSIG(status);
    } else {
        result.outcome = ChildOutcome::Exited;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    }
    return result;
}

} // namespace plix::platform
