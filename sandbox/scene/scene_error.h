// An error in a scene, placed at a file and line the way compilers place them.
#pragma once

#include <stdexcept>
#include <string>

namespace plix::scene {

class SceneError : public std::runtime_error {
public:
    // line 0 stands for the file as a whole.
    SceneError(std::string file, int line, std::string message)
        : std::runtime_error(format(file, line, message)),
          file_(std::move(file)),
          line_(line),
          message_(std::move(message)) {}

    const std::string &file() const { return file_; }
    int line() const { return line_; }
    const std::string &message() const { return message_; }

private:
    static std::string format(const std::string &file, int line, const std::string &message) {
        return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
    }

    std::string file_;
    int line_;
    std::string message_;
};

} // namespace plix::scene
