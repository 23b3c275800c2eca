// Evaluate beyond the point count: every call after the last spark hands out
// the last spark again, a second pass without new-time too, and new-time
// starts again at the first spark. The access record is written only where
// the displaced position goes. An object without points survives evaluate.
#include <cstring>

#include "checks/checks.h"
#include "module_session.h"

namespace plix::validate {
namespace {

constexpr double marker = -7.25;
void *const markerId = reinterpret_cast<void *>(static_cast<std::uintptr_t>(0xD15EA5E));

// One evaluate call with a record whose other fields must stay as they are.
Vec3 evaluateWatched(ModuleSession &session, void *instance, const std::string &what) {
    DisplacementAccess access{};
    for (int k = 0; k < 3; ++k) access.oldPos[k] = access.newPos[k] = marker;
    access.pointId = markerId;
    session.effect.evaluate(instance, access);
    expect(access.oldPos[0] == marker && access.oldPos[1] == marker && access.oldPos[2] == marker &&
               access.pointId == markerId,
           what, ": evaluate wrote outside the displaced position of the access record");
    return {access.newPos[0], access.newPos[1], access.newPos[2]};
}

std::vector<Vec3> pass(ModuleSession &session, void *instance, int calls, const std::string &what) {
    std::vector<Vec3> out;
    for (int c = 0; c < calls; ++c) out.push_back(evaluateWatched(session, instance, what));
    return out;
}

void checkPointCount(ModuleSession &session, int points, std::uintptr_t item) {
    void *instance = session.createOn(item, points);
    const std::string what = "an object of " + pointsText(points);
    pass(session, instance, points + 3, what + " before its first frame");
    const int extra = 3 * points + 5;
    for (const int frame : {8, 31}) {
        session.effect.newTime(instance, frame, frame / 30.0);
        const std::vector<Vec3> first = pass(session, instance, points + extra, what);
        for (int c = points; c < points + extra; ++c)
            expect(first[c] == first[points - 1], what, ", frame ", frame, ": evaluate call ", c + 1,
                   " did not hand out the last spark again");
        for (const Vec3 &p : pass(session, instance, points, what + ", second pass"))
            expect(p == first[points - 1], what, ", frame ", frame,
                   ": a second pass without new-time did not hand out the last spark");
        session.effect.newTime(instance, frame, frame / 30.0);
        pass(session, instance, (points + 1) / 2, what); // fewer calls than sparks
        session.effect.newTime(instance, frame, frame / 30.0);
        expect(evaluateWatched(session, instance, what) == first[0], what, ", frame ", frame,
               ": after new-time, evaluate did not start again at the first spark");
    }
    session.effect.destroy(instance);
}

} // namespace

std::string checkEvaluateBounds(CheckContext &context) {
    static constexpr int pointCounts[] = {1, 2, 3, 17, 64};
    ModuleSession session(context.modulePath);
    std::uintptr_t item = 1;
    for (const int points : pointCounts) checkPointCount(session, points, item++);

    void *empty = session.createOn(item, 0);
    for (const int frame : {0, 5}) {
        session.effect.newTime(empty, frame, frame / 30.0);
        pass(session, empty, 6, "an object without points");
    }
    session.effect.destroy(empty);
    return text("objects of 0 to 64 points, up to ", 3 * 64 + 5, " calls beyond the last spark");
}

} // namespace plix::validate
