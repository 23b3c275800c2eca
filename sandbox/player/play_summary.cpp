#include "player/play_summary.h"
#include "text/words.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "plix/platform/build_info.h"

namespace plix::sandbox {
namespace {

using text::plural;

std::string fixed(double value, const char *unit) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f %s", value, unit);
    return text;
}

double millis(double seconds) { return seconds * 1000.0; }

} // namespace

long long PlaySummary::sparks() const {
    long long total = 0;
    for (const PlayedEffect &effect : effects) total += effect.points;
    return total;
}

long long PlaySummary::nonFinite() const {
    long long total = 0;
    for (const PlayedFrame &frame : frames) total += frame.nonFinite;
    return total;
}

double PlaySummary::moduleSecondsPerFrame() const {
    double total = 0.0;
    for (const PlayedFrame &frame : frames) total += frame.moduleSeconds;
    return frames.empty() ? 0.0 : total / static_cast<double>(frames.size());
}

std::string PlaySummary::oneLine() const {
    std::string line = "played " + plural(static_cast<long long>(frames.size()), "frame") + " (" +
                       std::to_string(played.first) + "-" + std::to_string(played.last) + ") of " +
                       plural(static_cast<long long>(effects.size()), "effect") + ": " + std::to_string(sparks()) +
                       " sparks, ";
    if (!frames.empty())
        line += std::to_string(frames.back().inFlight) + " in flight at frame " + std::to_string(frames.back().frame) +
                ", ";
    if (nonFinite() > 0) {
        long long framesWith = 0;
        for (const PlayedFrame &frame : frames) framesWith += frame.nonFinite > 0 ? 1 : 0;
        line += std::to_string(nonFinite()) + " non-finite spark positions in " + plural(framesWith, "frame") +
                " (not drawn or cached), ";
    }
    return line + fixed(millis(moduleSecondsPerFrame()), "ms") + " per frame in the module, " +
           fixed(seconds, "s") + " in all";
}

std::string PlaySummary::json() const {
    using Json = nlohmann::ordered_json;
    Json perFrame = Json::array();
    for (const PlayedFrame &frame : frames)
        perFrame.push_back({{"frame", frame.frame},
                            {"time", frame.time},
                            {"in_flight", frame.inFlight},
                            {"non_finite", frame.nonFinite},
                            {"module_ms", millis(frame.moduleSeconds)}});
    Json perEffect = Json::array();
    for (const PlayedEffect &effect : effects)
        perEffect.push_back({{"object", effect.object}, {"effect", effect.number}, {"points", effect.points}});
    const Json summary = {
        {"program", platform::programVersion()},
        {"platform", platform::platformName()},
        {"module", {{"path", modulePath}, {"sha256", moduleSha256}}},
        {"scene",
         {{"name", sceneName},
          {"file", sceneFile ? Json(sceneFile->string()) : Json(nullptr)},
          {"fps", fps},
          {"frames", {sceneFrames.first, sceneFrames.last}}}},
        {"played", {played.first, played.last}},
        {"out", out.string()},
        {"written", written},
        {"effects", perEffect},
        {"sparks", sparks()},
        {"frames", perFrame},
        {"in_flight_at_end", frames.empty() ? 0 : frames.back().inFlight},
        {"non_finite", nonFinite()},
        {"module_ms_per_frame", millis(moduleSecondsPerFrame())},
        {"seconds", seconds},
        {"notes", notes}};
    // Names from the scene are bytes as the user wrote them: never fail on
    // text that is not UTF-8, replace it.
    return summary.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace plix::sandbox
