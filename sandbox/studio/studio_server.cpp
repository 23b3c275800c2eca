#include "studio/studio_server.h"
#include "text/words.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include <httplib.h>

namespace plix::studio {
namespace {

using text::lowered;

ApiRequest apiRequest(const httplib::Request &request) {
    ApiRequest out;
    out.method = request.method;
    out.path = request.path;
    for (const auto &[name, value] : request.params) out.query.emplace(name, value); // the first of each name
    for (const auto &[name, value] : request.headers) out.headers.emplace(lowered(name), value);
    out.body = request.body;
    return out;
}

} // namespace

struct StudioServer::Impl {
    httplib::Server server;
};

StudioServer::StudioServer() : impl_(std::make_unique<Impl>()) {
    httplib::Server &server = impl_->server;
    server.set_payload_max_length(StudioApi::maxBodyBytes);
    // Short waits on idle and slow connections, so that stop() is prompt.
    server.set_keep_alive_timeout(1);
    server.set_read_timeout(5);
    server.set_tcp_nodelay(true);
    // The library's default shares the port (SO_REUSEPORT): a second studio
    // on the same port would then take half of the first one's requests.
    // Reusing the address only lets a restart bind while old connections wait.
    server.set_socket_options([](socket_t socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

StudioServer::~StudioServer() = default;

int StudioServer::bind(const std::string &address, int port) {
    httplib::Server &server = impl_->server;
    if (port == 0) {
        const int chosen = server.bind_to_any_port(address);
        if (chosen <= 0) throw std::runtime_error("cannot listen on " + address + ": no free port, or no such address");
        return chosen;
    }
    if (!server.bind_to_port(address, port))
        throw std::runtime_error("cannot listen on " + address + " port " + std::to_string(port) +
                                 ": the port is taken, or there is no such address (--port 0 chooses a free port)");
    return port;
}

bool StudioServer::serve(const StudioApi &api) {
    httplib::Server &server = impl_->server;
    const auto handler = [&api](const httplib::Request &request, httplib::Response &response) {
        ApiResponse answer = api.handle(apiRequest(request));
        response.status = answer.status;
        for (const auto &[name, value] : answer.headers) response.set_header(name, value);
        response.set_header("Content-Type", answer.contentType);
        response.body = std::move(answer.body);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Patch(".*", handler);
    server.Delete(".*", handler);
    server.Options(".*", handler);
    return server.listen_after_bind();
}

void StudioServer::stop() { impl_->server.stop(); }

} // namespace plix::studio
