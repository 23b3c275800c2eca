// Load and save states over plain text: what the host hands the load and
// save entries of an effect instance.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "plix/host/handler_abi.h"

namespace plix::standin {

// Serves lines, one line per read: the lines of a text, which end at '\n'
// (a '\r' before it is dropped, the end-of-line characters are never served),
// or a list of lines taken exactly as they are.
//
// A read of `max` bytes receives the next line as zero-terminated text,
// truncated to max - 1 characters (so a read of 50 gets at most 49 characters
// and the zero). Once the lines run out, a read receives the empty text and
// returns 0. Each of these can be switched to the hostile forms a host might
// show, for robustness tests. Needs nothing but the host's C view (host/).
// Not copyable or movable: state() points into the object.
class TextLoadState {
public:
    enum class LineEnd {
        Terminated,   // at most max - 1 characters, then the zero (the host's way)
        Unterminated, // a line of max characters or more fills all max bytes, no zero
    };
    enum class LongLines {
        Cut,     // the part of a line that a read has no room for is dropped
        InPieces // the next read goes on where the last one stopped, one buffer at a time
    };
    enum class StreamEnd {
        EmptyText,         // an exhausted stream gives the empty text, result 0
        NegativeUntouched, // an exhausted stream returns -1 and leaves the buffer as it is
        NegativeAfterJunk, // an exhausted stream fills the buffer with 'x', no zero, and returns -1
        RepeatLastLine     // an exhausted stream serves its last line again, for ever
                           // (with no lines at all: -1, buffer untouched)
    };

    struct Read {
        int max = 0;           // byte count asked for
        std::string delivered; // characters placed (without a terminating zero)
        int result = 0;        // what read returned
    };

    explicit TextLoadState(std::string_view text);
    explicit TextLoadState(std::vector<std::string> lines);
    TextLoadState(const TextLoadState &) = delete;
    TextLoadState &operator=(const TextLoadState &) = delete;

    // Hand this to the load entry.
    const LoadState *state() const { return &state_; }

    void setLineEnd(LineEnd mode) { lineEnd_ = mode; }
    void setLongLines(LongLines mode) { longLines_ = mode; }
    void setStreamEnd(StreamEnd mode) { streamEnd_ = mode; }

    const std::vector<Read> &reads() const { return reads_; }
    // The sizes every read asked for, in order.
    std::vector<int> readSizes() const;
    // Lines served whole (a line served in pieces counts once its end is served).
    std::size_t linesServed() const { return next_; }
    std::size_t linesLeft() const { return lines_.size() - next_; }

private:
    static int readEntry(void *hostData, char *buffer, int max) noexcept;
    int read(char *buffer, int max);
    int serve(const std::string &line, std::size_t from, char *buffer, int max, Read &record);

    LoadState state_{};
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    std::size_t offset_ = 0; // into lines_[next_], when long lines come in pieces
    LineEnd lineEnd_ = LineEnd::Terminated;
    LongLines longLines_ = LongLines::Cut;
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
