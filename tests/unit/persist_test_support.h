// Hand-made load and save states and a host-less effect instance for the
// scene block's unit tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "effect/instance.h"
#include "effect/spark_types.h"
#include "host/handler_abi.h"

namespace persist_test {

// How a stream behaves once its lines have run out.
enum class AtEnd {
    EmptyText,      // an empty text, as the stand-in host does
    Negative,       // a negative result and nothing written
    NegativeJunk,   // a negative result after writing junk into the buffer
    RepeatLastLine, // the last line again, for ever
};

// Serves one line per read, like a host reading its scene file.
struct LineStream {
    std::vector<std::string> lines;
    AtEnd atEnd = AtEnd::EmptyText;
    bool terminate = true; // false: never write the terminating zero
    size_t next = 0;
    int reads = 0;
    std::vector<int> maxima; // the maximum of every read

    LineStream() = default;
    explicit LineStream(std::vector<std::string> text) : lines(std::move(text)) {}

    LoadState state() { return LoadState{nullptr, this, &LineStream::read}; }

    static int read(void *data, char *buf, int max) {
        auto &s = *static_cast<LineStream *>(data);
        ++s.reads;
        s.maxima.push_back(max);
        const std::string *line = nullptr;
        if (s.next < s.lines.size()) {
            line = &s.lines[s.next++];
        } else if (s.atEnd == AtEnd::RepeatLastLine && !s.lines.empty()) {
            line = &s.lines.back();
        } else if (s.atEnd == AtEnd::EmptyText) {
            buf[0] = '\0';
            return 0;
        } else {
            if (s.atEnd == AtEnd::NegativeJunk) std::memset(buf, 'x', static_cast<size_t>(max));
            return -1;
        }
        const size_t room = static_cast<size_t>(s.terminate ? max - 1 : max);
        const size_t n = std::min(line->size(), room);
        std::memcpy(buf, line->data(), n);
        if (s.terminate) buf[n] = '\0';
        return static_cast<int>(n);
    }
};

// Collects each write as one line, with the byte count it came with.
struct LineCollector {
    std::vector<std::string> lines;
    std::vector<int> counts;

    SaveState state() { return SaveState{nullptr, this, &LineCollector::write}; }

    static void write(void *data, const char *text, int lengthWithZero) {
        auto &c = *static_cast<LineCollector *>(data);
        c.lines.emplace_back(text);
        c.counts.push_back(lengthWithZero);
    }
};

// An instance with default settings over its own zeroed sparks.
struct TestInstance {
    EffectInstance inst;
    std::vector<SparkPoint> points;

    explicit TestInstance(int pointCount = 3) : points(static_cast<size_t>(pointCount)) {
        std::memset(&inst, 0, sizeof inst);
        std::memset(points.data(), 0, points.size() * sizeof(SparkPoint));
        inst.sparks.pointCount = pointCount;
        inst.sparks.points = points.data();
        applyDefaults(inst.sparks);
    }
    TestInstance(const TestInstance &) = delete;
    TestInstance &operator=(const TestInstance &) = delete;

    SparkSettings &sparks() { return inst.sparks; }
};

// Runs `body` on a new thread, whose generator starts again from its seed.
template <class Body>
void onFreshThread(Body body) {
    std::thread worker(body);
    worker.join();
}

} // namespace persist_test
