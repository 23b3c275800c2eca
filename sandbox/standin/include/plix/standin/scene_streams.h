// Load and save states over plain text: what the host hands the load and
// save entries of an effect instance.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/handler_abi.h"

namespace plix::standin {

// Serves the lines of a text, one line per read. Lines end at '\n'; a '\r'
// before it is dropped; the end-of-line characters are never served.
//
// A read of `max` bytes receives the next line as zero-terminated text,
// truncated to max - 1 characters (so a read of 50 gets at most 49 characters
// and the zero). Once the lines run out, a read receives the empty text and
// returns 0. Both can be switched to hostile forms for robustness tests.
// Not copyable or movable: state() points into the object.
class TextLoadState {
public:
    enum class LineEnd {
        Terminated,   // at most max - 1 characters, then the zero (the host's way)
        Unterminated, // a line of max characters or more fills all max bytes, no zero
    };
    enum class StreamEnd {
        EmptyText,        // an exhausted stream gives the empty text, result 0
        NegativeUntouched // an exhausted stream returns -1 and leaves the buffer as it is
    };

    struct Read {
        int max = 0;           // byte count asked for
        std::string delivered; // characters placed (without a terminating zero)
        int result = 0;        // what read returned
    };

    explicit TextLoadState(std::string_view text);
    TextLoadState(const TextLoadState &) = delete;
    TextLoadState &operator=(const TextLoadState &) = delete;

    // Hand this to the load entry.
    const LoadState *state() const { return &state_; }

    void setLineEnd(LineEnd mode) { lineEnd_ = mode; }
    void setStreamEnd(StreamEnd mode) { streamEnd_ = mode; }

    const std::vector<Read> &reads() const { return reads_; }
    std::size_t linesServed() const { return next_; }
    std::size_t linesLeft() const { return lines_.size() - next_; }

private:
    static int readEntry(void *hostData, char *buffer, int max) noexcept;
    int read(char *buffer, int max);

    LoadState state_{};
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    LineEnd lineEnd_ = LineEnd::Terminated;
    StreamEnd streamEnd_ = StreamEnd::EmptyText;
    std::vector<Read> reads_;
};

// Collects each write as one line and checks the byte count the writer
// passed against the text's length plus its terminating zero.
// Not copyable or movable: state() points into the object.
class LineSaveState {
public:
    struct Write {
        std::string text;   // the characters up to the zero (or up to the count)
        int byteCount = 0;  // count the writer passed
        bool countMatches = false; // byteCount == text length + 1 and a zero at the end
    };

    LineSaveState();
    LineSaveState(const LineSaveState &) = delete;
    LineSaveState &operator=(const LineSaveState &) = delete;

    // Hand this to the save entry.
    const SaveState *state() const { return &state_; }

    const std::vector<Write> &writes() const { return writes_; }
    std::vector<std::string> lines() const;
    // The lines as a text, each ended by '\n' (what a scene file would hold).
    std::string text() const;
    bool allCountsMatch() const;

private:
    static void writeEntry(void *hostData, const char *text, int byteCount) noexcept;

    SaveState state_{};
    std::vector<Write> writes_;
};

} // namespace plix::standin
