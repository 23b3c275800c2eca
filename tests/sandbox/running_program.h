// plix-sandbox started as a child process that keeps running (the studio):
// its first line of stdout is read as it comes, and the process is stopped
// with SIGTERM (then SIGKILL) when the test is done with it. POSIX only.
#pragma once

#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plix::testing {

class RunningProgram {
public:
    RunningProgram(const std::string &program, const std::vector<std::string> &arguments) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 2);
            ::close(out[0]);
            std::vector<char *> argv{const_cast<char *>(program.c_str())};
            for (const std::string &a : arguments) argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~RunningProgram() {
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 100 && !ended(); ++i) ::usleep(100 * 1000);
        if (!ended()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;

    // The next line of stdout; empty when none came within `wait`.
    std::string line(std::chrono::milliseconds wait = std::chrono::seconds(60)) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (buffered_.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return {};
            pollfd watched{out_, POLLIN, 0};
            if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[512];
            const ssize_t got = ::read(out_, chunk, sizeof chunk);
            if (got <= 0) return {};
            buffered_.append(chunk, static_cast<std::size_t>(got));
        }
        const std::size_t end = buffered_.find('\n');
        std::string text = buffered_.substr(0, end);
        buffered_.erase(0, end + 1);
        return text;
    }

private:
    bool ended() {
        if (done_) return true;
        done_ = ::waitpid(pid_, nullptr, WNOHANG) == pid_;
        return done_;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    bool done_ = false;
    std::string buffered_;
};

} // namespace plix::testing
