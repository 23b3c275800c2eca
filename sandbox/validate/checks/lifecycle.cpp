// Instances from create to destroy: what create asks of the host, copies
// between instances of different sizes, a copy onto itself, destroy, and the
// entries that do nothing.
#include "checks/checks.h"
#include "module_session.h"

namespace plix::validate {
namespace {

using standin::CallKind;
using standin::HostCall;

const char *const untouchedText = "untouched";

// Settings far from the defaults, as a block.
const std::vector<std::string> distinctBlock = {
    "PLIX_START",       "V0Min 2.500000",   "V0Max 7.250000",      "AgeMin 4.000000",
    "AgeMax 33.000000", "Gravity 3.500000", "Regist 1.250000",     "START_F 2.000000",
    "Birth 45.000000",  "ReCycle 0.000000", "SpreadMin 20.000000", "SpreadMax 75.000000",
    "AvoidX 5.000000",  "AvoidY -6.000000", "AvoidZ 7.000000",     "PLIX_END"};

void checkCreateCalls(ModuleSession &session) {
    session.host.calls().clear();
    session.host.calls().setRecording(true);
    const char *errorText = untouchedText;
    session.host.addObject({standin::itemId(1), 7, movingPosition, movingAxes});
    void *instance = session.effect.create(standin::itemId(1), &errorText);
    session.host.calls().setRecording(false);
    expect(instance != nullptr, "create returned no instance for an object of 7 points");
    expect(errorText == untouchedText, "create wrote into the error text place although it succeeded");

    const auto &log = session.host.calls();
    const std::vector<HostCall> counts = log.ofKind(CallKind::PointCount);
    expect(counts.size() == 1 && counts[0].item == standin::itemId(1), "create asked for the point count ",
           counts.size(), " times, expected once for its object");
    const std::vector<HostCall> systems = log.ofKind(CallKind::ParticleCreate);
    expect(systems.size() == 1, "create made ", systems.size(), " particle systems, expected 1");
    expect(systems[0].code == PLIX_BUFFER_FLAGS && systems[0].count == 0,
           "the particle system was created with flags 0x", std::hex, systems[0].code, " and type ", std::dec,
           systems[0].count, ", expected 0x1021 and 0");
    const std::vector<HostCall> buffers = log.ofKind(CallKind::ParticleBuffer);
    const int flags[] = {PLIX_BUFFER_POSITION, PLIX_BUFFER_AGE, PLIX_BUFFER_ENABLE};
    expect(buffers.size() == 3, "create fetched ", buffers.size(), " buffers, expected 3");
    for (std::size_t i = 0; i < 3; ++i)
        expect(buffers[i].system == systems[0].system && buffers[i].code == flags[i], "buffer fetch ", i + 1,
               " asked for flag 0x", std::hex, buffers[i].code, ", expected 0x", flags[i],
               " of the instance's own system");
    const std::vector<HostCall> attached = log.ofKind(CallKind::ParticleAttach);
    expect(attached.size() == 1 && attached[0].system == systems[0].system && attached[0].item == standin::itemId(1),
           "create did not attach its particle system to its object exactly once");
    expect(log.rejectedCount() == 0, "create made ", log.rejectedCount(), " host calls the host had to refuse");
    session.effect.destroy(instance);
}

// Positions of two frames, as a fingerprint of settings and launch data.
std::vector<Vec3> fingerprint(ModuleSession &session, void *instance, int points) {
    std::vector<Vec3> positions = session.frame(instance, 12, 30.0, points);
    const std::vector<Vec3> later = session.frame(instance, 40, 30.0, points);
    positions.insert(positions.end(), later.begin(), later.end());
    return positions;
}

void checkCopies(ModuleSession &session) {
    void *source = session.createOn(2, 9);
    void *destination = session.createOn(3, 4);
    session.load(source, distinctBlock);
    const std::vector<std::string> sourceBlock = session.save(source);
    const std::vector<Vec3> sourcePrint = fingerprint(session, source, 9);

    expect(session.effect.copy(destination, source) == nullptr, "copy reported an error");
    expect(session.save(destination) == sourceBlock, "after a copy the destination saves ",
           joinLines(session.save(destination)), " instead of the source's ", joinLines(sourceBlock));
    expect(session.save(source) == sourceBlock, "copy changed the source's settings");
    expect(samePositions(fingerprint(session, source, 9), sourcePrint), "copy changed the source's sparks");

    session.host.calls().clear();
    session.host.calls().setRecording(true);
    session.effect.destroy(source);
    session.host.calls().setRecording(false);
    std::size_t particleCalls = 0;
    for (const HostCall &call : session.host.calls().calls())
        particleCalls += call.service == standin::Service::Particles;
    expect(particleCalls == 0, "destroy made ", particleCalls, " particle service calls, expected none");

    // The destination keeps its own object, sparks and particle system.
    session.frame(destination, 12, 30.0, 4);
    const standin::ParticleSystemState *system = session.host.particles().attachedTo(standin::itemId(3));
    expect(system && system->count == 4,
           "after copying from an instance of 9 points, the destination's particle "
           "system holds ",
           system ? system->count : -1, " particles, expected its own 4");
    expect(session.save(destination) == sourceBlock, "destroying the source changed the copy");

    // A copy onto itself leaves the instance as it was.
    const std::vector<Vec3> before = fingerprint(session, destination, 4);
    expect(session.effect.copy(destination, destination) == nullptr, "copy onto itself reported an error");
    expect(session.save(destination) == sourceBlock, "copying an instance onto itself changed its settings");
    expect(samePositions(fingerprint(session, destination, 4), before),
           "copying an instance onto itself changed its sparks");
    session.effect.destroy(destination);
}

void checkQuietEntries(ModuleSession &session) {
    void *instance = session.createOn(4, 5);
    void *empty = session.createOn(5, 0);
    for (void *inst : {instance, empty}) {
        expect(session.effect.flags(inst) == PLIX_FLAG_WORLD_POSITIONS, "flags returned ", session.effect.flags(inst),
               ", expected 1 (world positions)");
        expect(session.effect.useItems(inst) == nullptr, "use-items named items the effect would depend on");
        expect(session.effect.renderInit(inst, 0) == nullptr, "render-init reported an error");
        session.effect.renderCleanup(inst);
        const void *ids[] = {standin::itemId(4), nullptr};
        session.effect.changeId(inst, ids);
        session.effect.newTime(inst, 3, 0.1);
    }
    session.effect.destroy(empty);
    session.effect.destroy(instance);
}

} // namespace

std::string checkLifecycle(CheckContext &context) {
    ModuleSession session(context.modulePath);
    checkCreateCalls(session);
    checkCopies(session);
    checkQuietEntries(session);
    return "create, copy between sizes, copy onto itself, destroy, flags and the quiet entries";
}

} // namespace plix::validate
