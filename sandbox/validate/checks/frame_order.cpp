// Frames do not depend on the frame asked before: a frame asked first, alone,
// equals the same frame in a run from the first frame on, and so does every
// frame asked again in a shuffled order. The particles published for a frame
// hold the positions that evaluate hands out.
#include <cmath>
#include <numeric>

#include "checks/checks.h"
#include "module_session.h"
#include "panel_controls.h"

namespace plix::validate {
namespace {

constexpr int instances = 3;
constexpr int firstFrame = -2;
constexpr int frameCount = 64;

struct Scene {
    int points;
    double fps;
    Vec3 parking;
};

// Settings under which sparks fly within the frames asked for.
Vec3 flyingSettings(ModuleSession &session, void *panel, int points, CheckRandom &random) {
    auto &panels = session.host.panels();
    const Vec3 parking{random.real(-50, 50), random.real(-50, 50), random.real(-50, 50)};
    panels.enterValue(panel, idOf("vmin"), random.real(0.5, 3.0));
    panels.enterValue(panel, idOf("vmax"), random.real(3.0, 9.0));
    panels.enterValue(panel, idOf("spmn"), static_cast<int>(random.between(0, 60)));
    panels.enterValue(panel, idOf("spmx"), static_cast<int>(random.between(61, 180)));
    panels.enterValue(panel, idOf("agmn"), static_cast<int>(random.between(1, 12)));
    panels.enterValue(panel, idOf("agmx"), static_cast<int>(random.between(13, 70)));
    panels.enterValue(panel, idOf("grav"), random.real(0.0, 12.0));
    panels.enterValue(panel, idOf("recy"), static_cast<int>(random.between(0, 1)));
    panels.enterValue(panel, idOf("rate"), static_cast<int>(random.between(points / 2 + 1, 4 * points)));
    panels.enterValue(panel, idOf("sprk"), static_cast<int>(random.between(-4, 12)));
    panels.enterValue(panel, idOf("avoi"), parking);
    return parking;
}

struct Frame {
    std::vector<Vec3> positions;
    std::vector<std::array<float, 3>> published;
};

Frame ask(ModuleSession &session, void *instance, std::uintptr_t item, int frame, const Scene &scene) {
    Frame result{session.frame(instance, frame, scene.fps, scene.points), session.publishedPositions(item)};
    expect(result.published.size() == result.positions.size(), "frame ", frame, ": ", result.published.size(),
           " particles published for ", scene.points, " sparks");
    for (std::size_t i = 0; i < result.positions.size(); ++i) {
        const Vec3 &p = result.positions[i];
        const std::array<float, 3> expected{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
        expect(result.published[i] == expected, "frame ", frame, ": particle ", i, " was published at (",
               result.published[i][0], ", ", result.published[i][1], ", ", result.published[i][2],
               ") but evaluate handed out (", p.x, ", ", p.y, ", ", p.z, ")");
    }
    return result;
}

std::size_t sparksInFlight(const std::vector<Vec3> &positions, const Vec3 &parking) {
    std::size_t flying = 0;
    for (const Vec3 &p : positions) flying += !(p == parking);
    return flying;
}

} // namespace

std::string checkFrameOrder(CheckContext &context) {
    static constexpr double rates[] = {24.0, 25.0, 30.0, 50.0};
    ModuleSession session(context.modulePath);
    CheckRandom &random = context.random;
    std::size_t flying = 0;
    Scene scene{};
    for (int n = 0; n < instances; ++n) {
        scene.points = static_cast<int>(random.between(20, 90));
        scene.fps = rates[random.below(std::size(rates))];
        const auto item = static_cast<std::uintptr_t>(n + 1);
        void *instance = session.createOn(item, scene.points);
        scene.parking = flyingSettings(session, session.panelFor(instance), scene.points, random);

        const int alone = static_cast<int>(random.between(firstFrame, firstFrame + frameCount - 1));
        const Frame first = ask(session, instance, item, alone, scene);
        std::vector<Frame> run;
        for (int f = firstFrame; f < firstFrame + frameCount; ++f) {
            run.push_back(ask(session, instance, item, f, scene));
            flying += sparksInFlight(run.back().positions, scene.parking);
        }
        expect(samePositions(first.positions, run[alone - firstFrame].positions), "instance ", n + 1, ": frame ", alone,
               " asked alone differs from the same frame in a run from frame ", firstFrame, " (", scene.points,
               " points at ", scene.fps, " frames per second)");

        std::vector<int> order(frameCount);
        std::iota(order.begin(), order.end(), firstFrame);
        for (std::size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[random.below(i + 1)]);
        int previous = firstFrame + frameCount - 1;
        for (const int f : order) {
            const Frame again = ask(session, instance, item, f, scene);
            expect(samePositions(again.positions, run[f - firstFrame].positions), "instance ", n + 1, ": frame ", f,
                   " asked after frame ", previous, " differs from the same frame in the run");
            previous = f;
        }
        session.effect.destroy(instance);
    }
    expect(flying > 0, "no spark left its parking position in ", instances * frameCount, " frames");
    return text(instances, " instances, ", frameCount, " frames each alone, in a run and shuffled");
}

} // namespace plix::validate
