// Every thread draws its own random sequence, starting at the seed the first
// time it draws: two threads that create instances side by side get the same
// launch data in the same order, the main thread's first instance equals
// theirs, and within one thread each creation continues the sequence.
#include <thread>

#include "checks/checks.h"
#include "launch_fingerprint.h"
#include "plix/platform/start_latch.h"

namespace plix::validate {
namespace {

constexpr int perThread = 3;
constexpr int points = 30;

std::vector<void *> createSideBySide(ModuleSession &session, platform::StartLatch &start, std::uintptr_t firstItem) {
    std::vector<void *> created;
    start.arriveAndWait();
    for (int k = 0; k < perThread; ++k) {
        created.push_back(session.createOn(firstItem + k, points));
        std::this_thread::yield();
    }
    return created;
}

} // namespace

std::string checkThreads(CheckContext &context) {
    ModuleSession session(context.modulePath);
    platform::StartLatch start(2);
    std::vector<void *> first, second;
    std::string error;
    const auto worker = [&](std::vector<void *> &out, std::uintptr_t item) {
        try {
            out = createSideBySide(session, start, item);
        } catch (const CheckFailure &failure) {
            error = failure.what();
        }
    };
    std::thread a(worker, std::ref(first), 10), b(worker, std::ref(second), 20);
    a.join();
    b.join();
    expect(error.empty(), error);
    void *mainFirst = session.createOn(30, points); // this thread has not drawn before

    std::vector<std::vector<Vec3>> prints;
    for (int k = 0; k < perThread; ++k) {
        const std::vector<Vec3> one = launchFingerprint(session, first[k], points);
        expect(samePositions(one, launchFingerprint(session, second[k], points)), "instance ", k + 1,
               " created in two threads side by side got different launch data: the threads share or "
               "disturb one random sequence");
        for (const auto &earlier : prints)
            expect(!samePositions(one, earlier), "instance ", k + 1,
                   " repeats the launch data of an earlier instance of the same thread: creation does not "
                   "continue the thread's sequence");
        prints.push_back(one);
    }
    expect(samePositions(launchFingerprint(session, mainFirst, points), prints[0]),
           "the first instance created in the main thread differs from the first instance of the other threads: a "
           "thread's first draw does not start at the seed");
    for (void *instance : first) session.effect.destroy(instance);
    for (void *instance : second) session.effect.destroy(instance);
    session.effect.destroy(mainFirst);
    return text("two threads side by side and the main thread, ", perThread, " instances of ", points, " points");
}

} // namespace plix::validate
