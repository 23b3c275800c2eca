// Where played frames go: the particle cache and the preview are two of
// them. A sink sees every frame of the range in order, then is finished once,
// when it puts its files in place; a sink that is not finished (a failure, a
// stop request) leaves no file of its own behind.
#pragma once

#include <string>
#include <vector>

#include "plix/geometry.h"

namespace plix::sandbox {

// One played frame as the sinks see it.
struct SinkFrame {
    int frame = 0;
    double time = 0.0;
    const geometry::FrameSparks &sparks;
    const std::vector<geometry::Vec3> &emitters; // empty unless a sink wants them
};

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Whether the sparks must carry their velocities (three module frames
    // instead of one), and the emitters' positions.
    virtual bool wantsVelocity() const { return false; }
    virtual bool wantsEmitters() const { return false; }
    // Throws std::runtime_error naming the file when an output cannot be written.
    virtual void addFrame(const SinkFrame &frame) = 0;
    // Puts the outputs in place; returns their names for the summary.
    virtual std::vector<std::string> finish() = 0;
};

} // namespace plix::sandbox
