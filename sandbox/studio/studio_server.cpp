#include "studio/studio_server.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include <httplib.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "studio/connection_limits.h"
#include "text/words.h"

namespace plix::studio {
namespace {

using Clock = std::chrono::steady_clock;
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

void addressOf(int socket, bool peer, std::string &ip, int &port) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    const int got = peer ? ::getpeername(socket, reinterpret_cast<sockaddr *>(&address), &size)
                         : ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &size);
    char host[NI_MAXHOST] = "", service[NI_MAXSERV] = "0";
    if (got == 0)
        ::getnameinfo(reinterpret_cast<sockaddr *>(&address), size, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV);
    ip = host;
    port = std::atoi(service);
}

// One request read whole by the gate, as the library reads it; the answer
// goes straight to the socket, within the time a client has to take it.
class GatheredStream : public httplib::Stream {
public:
    GatheredStream(int socket, std::string request, Clock::time_point writeDeadline)
        : socket_(socket), request_(std::move(request)), writeDeadline_(writeDeadline) {}

    bool is_readable() const override { return read_ < request_.size(); }
    bool is_writable() const override { return Clock::now() < writeDeadline_; }
    ssize_t read(char *ptr, size_t size) override {
        const std::size_t n = std::min(size, request_.size() - read_);
        std::copy_n(request_.data() + read_, n, ptr);
        read_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char *ptr, size_t size) override {
        std::size_t sent = 0;
        while (sent < size) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(writeDeadline_ - Clock::now());
            if (left.count() <= 0) return -1;
            pollfd watched{socket_, POLLOUT, 0};
            const int ready = ::poll(&watched, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
            if (ready < 0 && errno != EINTR) return -1;
            if (ready <= 0) continue;
            const ssize_t n = ::send(socket_, ptr + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (n <= 0) return -1;
            sent += static_cast<std::size_t>(n);
        }
        return static_cast<ssize_t>(size);
    }
    void get_remote_ip_and_port(std::string &ip, int &port) const override { addressOf(socket_, true, ip, port); }
    void get_local_ip_and_port(std::string &ip, int &port) const override { addressOf(socket_, false, ip, port); }
    socket_t socket() const override { return socket_; }

private:
    int socket_;
    std::string request_;
    std::size_t read_ = 0;
    Clock::time_point writeDeadline_;
};

// A thread for every connection, so that one connection's wait is nobody
// else's; the connection limits keep their number bounded.
class ThreadPerConnection : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> fn) override {
        {
            const std::lock_guard lock(mutex_);
            ++running_;
        }
        std::thread([this, fn = std::move(fn)] {
            fn();
            const std::lock_guard lock(mutex_);
            if (--running_ == 0) idle_.notify_all();
        }).detach();
    }
    void shutdown() override {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return running_ == 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable idle_;
    std::size_t running_ = 0;
};

constexpr std::size_t mostRequestsPerConnection = 100;

class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(const ServerLimits &limits)
        : limits_(limits), connections_(limits.connections, limits.perClient) {
        new_task_queue = [] { return new ThreadPerConnection; };
    }

    // The library listens with a queue of 5 unaccepted connections; a burst
    // of connections would then wait for the system's retries, seconds each.
    void widenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

private:
    bool process_and_close_socket(socket_t socket) override {
        bool ok = true;
        {
            std::string client;
            int port = 0;
            addressOf(socket, true, client, port);
            const ConnectionSlot slot(connections_, client);
            if (!slot.admitted()) {
                sendRefusal(socket, 503, slot.refusal());
            } else {
                ok = serveConnection(socket);
            }
        }
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
        return ok;
    }

    bool serveConnection(int socket) {
        RequestGate gate(socket, limits_.gate, [this] { return !is_running(); });
        for (std::size_t n = 0; n < mostRequestsPerConnection; ++n) {
            GateOutcome next = gate.next(n == 0);
            if (next.kind == GateOutcome::Done) return true;
            if (next.kind == GateOutcome::Refused) {
                sendRefusal(socket, next.status, next.message);
                return true;
            }
            GatheredStream stream(socket, std::move(next.request), Clock::now() + limits_.writeTime);
            bool closed = false;
            const bool last = n + 1 == mostRequestsPerConnection || !is_running();
            if (!process_request(stream, last, closed, nullptr) || closed) return true;
        }
        return true;
    }

    ServerLimits limits_;
    ConnectionLimits connections_;
};

} // namespace

struct StudioServer::Impl {
    explicit Impl(const ServerLimits &limits) : server(limits) {}
    GuardedServer server;
};

StudioServer::StudioServer(ServerLimits limits) : impl_(std::make_unique<Impl>(limits)) {
    httplib::Server &server = impl_->server;
    server.set_payload_max_length(StudioApi::maxBodyBytes);
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
        impl_->server.widenBacklog();
        return chosen;
    }
    if (!server.bind_to_port(address, port))
        throw std::runtime_error("cannot listen on " + address + " port " + std::to_string(port) +
                                 ": the port is taken, or there is no such address (--port 0 chooses a free port)");
    impl_->server.widenBacklog();
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
