// The studio's HTTP requests and answers, apart from any server library, so
// that every rule can be tested without a socket.
//
//   GET  /                      the page (and its files, from memory)
//   GET  /api/scene             the scene: frames, rate, effects, emitter paths (at most
//                               2000 points each, with the frame of each), notes
//   GET  /api/frame/F           frame F, binary (see frame_encoding.h); ?format=json
//   GET  /api/panel/E           effect E's panel (E counts from 0 in scene order)
//   POST /api/panel/E           {"id": "grav", "value": 3.5}: one edit; answers the panel
//   POST /api/save              {}: writes the scene; answers {"saved": FILE}
//
// Every request must name the server's own address in its Host header, and
// every API call must carry the token, as the X-Plix-Token header or the
// query parameter token; otherwise 403. POST bodies are JSON objects of at
// most maxBodyBytes. Errors answer {"error": "what is wrong"}.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "studio/access_guard.h"
#include "studio/module_thread.h"
#include "studio/studio_model.h"

namespace plix::studio {

struct ApiRequest {
    std::string method;                        // "GET", "POST", ...
    std::string path;                          // decoded, without the query
    std::map<std::string, std::string> query;  // decoded parameters
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
};

struct ApiResponse {
    int status = 200;
    std::string contentType;
    std::string body;
    std::map<std::string, std::string> headers;
};

class StudioApi {
public:
    static constexpr std::size_t maxBodyBytes = 64 * 1024;

    // `model` is called only on `moduleThread`; its scene is read once here.
    StudioApi(StudioModel &model, ModuleThread &moduleThread, AccessGuard guard);

    // Safe to call from many threads at once.
    ApiResponse handle(const ApiRequest &request) const;

    const AccessGuard &guard() const { return guard_; }

private:
    ApiResponse handleApi(const ApiRequest &request) const;
    ApiResponse sceneResponse() const;
    ApiResponse frameResponse(int frame, const std::string &format) const;
    ApiResponse panelResponse(std::size_t effect) const;
    ApiResponse editResponse(std::size_t effect, const std::string &body) const;
    ApiResponse saveResponse(const std::string &body) const;

    StudioModel &model_;
    ModuleThread &moduleThread_;
    AccessGuard guard_;
    StudioScene scene_; // what does not change while the studio runs
};

} // namespace plix::studio
