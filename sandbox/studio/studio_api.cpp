#include "studio/studio_api.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <exception>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "studio/embedded_files.h"
#include "studio/frame_encoding.h"
#include "studio/panel_json.h"

namespace plix::studio {
namespace {

using nlohmann::json;

ApiResponse jsonResponse(int status, const json &body) {
    return {status, "application/json", body.dump(), {}};
}

ApiResponse errorResponse(int status, const std::string &message) {
    return jsonResponse(status, json{{"error", message}});
}

ApiResponse methodNotAllowed(const std::string &allowed) {
    ApiResponse response = errorResponse(405, "use " + allowed + " here");
    response.headers["Allow"] = allowed;
    return response;
}

std::string headerOf(const ApiRequest &request, const std::string &name) {
    const auto found = request.headers.find(name);
    return found == request.headers.end() ? std::string() : found->second;
}

template <class Integer>
std::optional<Integer> wholeNumber(std::string_view text) {
    Integer value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return value;
}

// "application/json", with or without parameters such as a charset.
// Media types are compared without regard to case, and around spaces.
bool isJsonContent(const std::string &contentType) {
    std::string type = contentType.substr(0, contentType.find(';'));
    type.erase(0, type.find_first_not_of(" \t"));
    type.erase(type.find_last_not_of(" \t") + 1);
    for (char &c : type) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return type == "application/json";
}

// The body as a JSON object, or the reason it is not one.
std::optional<json> jsonObject(const std::string &body, std::string &problem) {
    json parsed;
    try {
        parsed = json::parse(body);
    } catch (const json::out_of_range &) { // a number too large for a double, such as 1e999
        problem = "a number in the body is not a finite number";
        return std::nullopt;
    } catch (const json::exception &) {
        problem = "the body is not JSON";
        return std::nullopt;
    }
    if (!parsed.is_object()) {
        problem = "the body must be a JSON object";
        return std::nullopt;
    }
    return parsed;
}

json pointJson(const geometry::Vec3 &p) { return json::array({p.x, p.y, p.z}); }

} // namespace

StudioApi::StudioApi(StudioModel &model, ModuleThread &moduleThread, AccessGuard guard)
    : model_(model), moduleThread_(moduleThread), guard_(std::move(guard)),
      scene_(moduleThread_.call([&model] { return model.scene(); })) {}

ApiResponse StudioApi::handle(const ApiRequest &request) const {
    ApiResponse response;
    try {
        if (!guard_.hostAllowed(headerOf(request, "host"))) {
            response = errorResponse(403, "refused: the Host header does not name this studio's address");
        } else if (request.path.starts_with("/api/")) {
            const std::string token =
                request.headers.contains("x-plix-token") ? headerOf(request, "x-plix-token")
                : request.query.contains("token")        ? request.query.at("token")
                                                         : std::string();
            response = guard_.tokenMatches(token) ? handleApi(request)
                                                  : errorResponse(403, "refused: the studio's token is missing or wrong");
        } else if (request.method != "GET" && request.method != "HEAD") {
            response = methodNotAllowed("GET");
        } else if (const EmbeddedFile *file = findEmbeddedFile(request.path == "/" ? "/index.html" : request.path)) {
            response = {200, std::string(file->contentType), std::string(file->content), {{"Cache-Control", "no-cache"}}};
        } else {
            response = {404, "text/plain; charset=utf-8", "no such page\n", {}};
        }
    } catch (const std::exception &error) { // a module or model failure, a full disk
        response = errorResponse(500, error.what());
    }
    response.headers["X-Content-Type-Options"] = "nosniff";
    response.headers["Referrer-Policy"] = "no-referrer";
    response.headers["Content-Security-Policy"] = "frame-ancestors 'none'; connect-src 'self'; object-src 'none'";
    if (request.path.starts_with("/api/")) response.headers["Cache-Control"] = "no-store";
    return response;
}

ApiResponse StudioApi::handleApi(const ApiRequest &request) const {
    const std::string_view path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (post) {
        if (request.body.size() > maxBodyBytes)
            return errorResponse(413, "the body is larger than " + std::to_string(maxBodyBytes) + " bytes");
        if (!isJsonContent(headerOf(request, "content-type")))
            return errorResponse(415, "send the body as application/json");
    }

    if (path == "/api/scene") return get ? sceneResponse() : methodNotAllowed("GET");
    if (path == "/api/save") return post ? saveResponse(request.body) : methodNotAllowed("POST");
    if (path.starts_with("/api/frame/")) {
        if (!get) return methodNotAllowed("GET");
        const auto frame = wholeNumber<int>(path.substr(std::string_view("/api/frame/").size()));
        if (!frame) return errorResponse(400, "a frame is a whole number within 32 bits, as in /api/frame/42");
        const auto format = request.query.find("format");
        return frameResponse(*frame, format == request.query.end() ? "binary" : format->second);
    }
    if (path.starts_with("/api/panel/")) {
        const auto effect = wholeNumber<std::size_t>(path.substr(std::string_view("/api/panel/").size()));
        if (!effect) return errorResponse(400, "an effect is named by its number from 0, as in /api/panel/0");
        if (get) return panelResponse(*effect);
        if (post) return editResponse(*effect, request.body);
        return methodNotAllowed("GET, POST");
    }
    return errorResponse(404, "no such API call");
}

ApiResponse StudioApi::sceneResponse() const {
    const StudioScene &scene = scene_;
    json effects = json::array();
    for (std::size_t e = 0; e < scene.effects.size(); ++e)
        effects.push_back({{"index", e},
                           {"object", scene.effects[e].object},
                           {"effect", scene.effects[e].number},
                           {"points", scene.effects[e].points}});
    json emitters = json::array();
    for (const EmitterPath &emitter : scene.emitters) {
        json path = json::array();
        for (const geometry::Vec3 &p : emitter.positions) path.push_back(pointJson(p));
        emitters.push_back({{"object", emitter.object}, {"frames", emitter.frames}, {"path", path}});
    }
    return jsonResponse(200, {{"name", scene.name},
                              {"fps", scene.fps},
                              {"firstFrame", scene.firstFrame},
                              {"lastFrame", scene.lastFrame},
                              {"effects", effects},
                              {"emitters", emitters},
                              {"notes", scene.notes},
                              {"saveTarget", scene.saveTarget}});
}

ApiResponse StudioApi::frameResponse(int frame, const std::string &format) const {
    if (format != "binary" && format != "json") return errorResponse(400, "format is binary (the default) or json");
    struct Computed {
        geometry::FrameSparks sparks;
        double milliseconds = 0.0;
    };
    const Computed computed = moduleThread_.call([this, frame] {
        const auto started = std::chrono::steady_clock::now();
        Computed out{model_.frame(frame), 0.0};
        out.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        return out;
    });
    // The time the module was given with the frame.
    const EncodedFrame encoded{frame, frame / scene_.fps, computed.milliseconds, &computed.sparks, &scene_.effects};
    if (format == "json") return {200, "application/json", frameJson(encoded), {}};
    return {200, "application/octet-stream", frameBinary(encoded), {}};
}

ApiResponse StudioApi::panelResponse(std::size_t effect) const {
    if (effect >= scene_.effects.size()) return errorResponse(404, "the scene has no effect " + std::to_string(effect));
    const auto controls = moduleThread_.call([this, effect] { return model_.panel(effect); });
    return jsonResponse(200, {{"effect", effect}, {"controls", panelJson(controls)}});
}

ApiResponse StudioApi::editResponse(std::size_t effect, const std::string &body) const {
    std::string problem;
    const auto edit = jsonObject(body, problem);
    if (!edit) return errorResponse(400, problem);
    if (!edit->contains("id") || !(*edit)["id"].is_string() || !edit->contains("value"))
        return errorResponse(400, "an edit is {\"id\": \"grav\", \"value\": 3.5}");
    if (effect >= scene_.effects.size()) return errorResponse(404, "the scene has no effect " + std::to_string(effect));
    const std::string idName = (*edit)["id"].get<std::string>();
    const json value = (*edit)["value"];

    struct Outcome {
        int status = 200;
        std::string message;
        std::vector<standin::PanelControl> controls;
    };
    const Outcome outcome = moduleThread_.call([&] {
        Outcome out;
        const std::vector<standin::PanelControl> controls = model_.panel(effect);
        const auto id = panelIdFromText(idName);
        const standin::PanelControl *control = nullptr;
        for (const standin::PanelControl &c : controls)
            if (id && c.id == *id) control = &c;
        if (control == nullptr) return Outcome{400, "the panel has no control '" + idName + "'", {}};
        std::string expected;
        const auto entered = panelValueFromJson(value, control->dataType, control->controlType, expected);
        if (!entered)
            return Outcome{400, "'" + idName + "' (" + control->label + ") takes " + expected + "; got " + value.dump(), {}};
        if (!model_.enter(effect, control->id, *entered))
            return Outcome{400, "the panel took no value for '" + idName + "'", {}};
        out.controls = model_.panel(effect);
        return out;
    });
    if (outcome.status != 200) return errorResponse(outcome.status, outcome.message);
    return jsonResponse(200, {{"effect", effect}, {"controls", panelJson(outcome.controls)}});
}

ApiResponse StudioApi::saveResponse(const std::string &body) const {
    std::string problem;
    if (!jsonObject(body, problem)) return errorResponse(400, problem);
    if (scene_.saveTarget.empty())
        return errorResponse(409, "the studio was started without a scene file: start it with --save FILE to save");
    const std::string saved = moduleThread_.call([this] { return model_.save(); });
    return jsonResponse(200, {{"saved", saved}});
}

} // namespace plix::studio
