// The studio run as plix-sandbox runs it, with clients that are slow or
// hostile: connections that send half a request and then a byte now and
// then, too many connections from one address, and headers that are read
// wrongly further on. Every wait here is bounded (no test hangs), and the
// bounds are generous: they tell "answered" from "stalled for seconds".
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "running_program.h"
#include "temp_folder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Studio {
    plix::testing::RunningProgram program;
    int port = 0;
    std::string token;

    explicit Studio(const std::vector<std::string> &scene = {})
        : program(PLIX_SANDBOX_PROGRAM, withScene({"studio", "--port", "0", "--module", PLIX_MODULE_PATH}, scene)) {
        const std::string url = program.line(); // http://127.0.0.1:PORT/?token=T
        const std::size_t colon = url.rfind(':'), slash = url.find('/', colon);
        if (url.empty() || colon == std::string::npos || slash == std::string::npos) return;
        port = std::stoi(url.substr(colon + 1, slash - colon - 1));
        token = url.substr(url.find("token=") + 6);
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }

    static std::vector<std::string> withScene(std::vector<std::string> arguments, const std::vector<std::string> &scene) {
        arguments.insert(arguments.end(), scene.begin(), scene.end());
        return arguments;
    }
};

// A connection to the studio from `source` (any address of 127/8 is this
// machine, so clients can be told apart by address).
int connectFrom(const char *source, int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, source, &local.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendText(int fd, const std::string &text) { (void)::send(fd, text.data(), text.size(), MSG_NOSIGNAL); }

// What the studio answers on `fd` until it closes the connection or `bound`
// has passed.
std::string answerWithin(int fd, std::chrono::milliseconds bound) {
    std::string got;
    const auto deadline = Clock::now() + bound;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return got;
        pollfd watched{fd, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0) continue;
        char chunk[4096];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return got;
        got.append(chunk, static_cast<std::size_t>(n));
    }
}

std::string request(const Studio &studio, const std::string &head, const std::string &body = {}) {
    return head + "Host: " + studio.host() + "\r\nX-Plix-Token: " + studio.token + "\r\nConnection: close\r\n" +
           (body.empty() ? "" : "Content-Length: " + std::to_string(body.size()) + "\r\n") + "\r\n" + body;
}

std::string statusLine(const std::string &answer) { return answer.substr(0, answer.find("\r\n")); }

// Clients that opened a request and send one more byte of it every 200 ms.
class Tricklers {
public:
    Tricklers(const Studio &studio, const std::vector<const char *> &sources, int each) {
        for (const char *source : sources)
            for (int i = 0; i < each; ++i)
                if (const int fd = connectFrom(source, studio.port); fd >= 0) {
                    sendText(fd, "GET /api/scene HTTP/1.1\r\nHost: " + studio.host() + "\r\nX-Slow: ");
                    fds_.push_back(fd);
                }
        trickle_ = std::thread([this] {
            for (int round = 0; round < 150 && !stop_; ++round) { // at most 30 s
                for (const int fd : fds_) sendText(fd, "a");
                std::this_thread::sleep_for(200ms);
            }
        });
    }
    ~Tricklers() {
        stop_ = true;
        trickle_.join();
        for (const int fd : fds_) ::close(fd);
    }
    std::size_t count() const { return fds_.size(); }
    int first() const { return fds_.front(); }

private:
    std::vector<int> fds_;
    std::atomic<bool> stop_ = false;
    std::thread trickle_;
};

TEST(StudioClients, ANormalRequestIsAnsweredWhileFortyClientsTrickle) {
    Studio studio;
    ASSERT_GT(studio.port, 0);
    const Tricklers slow(studio, {"127.0.0.2", "127.0.0.3"}, 20);
    ASSERT_EQ(slow.count(), 40u);
    std::this_thread::sleep_for(300ms); // every slow client is connected and waiting
    for (int i = 0; i < 3; ++i) {
        const int fd = connectFrom("127.0.0.1", studio.port);
        ASSERT_GE(fd, 0);
        sendText(fd, request(studio, "GET /api/scene HTTP/1.1\r\n"));
        const std::string answer = answerWithin(fd, 3s); // 6 s and more before the studio took slow clients apart
        ::close(fd);
        EXPECT_EQ(statusLine(answer), "HTTP/1.1 200 OK") << answer.substr(0, 200);
    }
}

TEST(StudioClients, AClientThatNeverFinishesItsHeaderIsCutOff) {
    Studio studio;
    ASSERT_GT(studio.port, 0);
    const Tricklers slow(studio, {"127.0.0.2"}, 1);
    ASSERT_EQ(slow.count(), 1u);
    // Bytes keep coming, but the header must be whole within a few seconds.
    const std::string answer = answerWithin(slow.first(), 20s);
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 408 Request Timeout") << answer;
}

TEST(StudioClients, OneAddressCannotTakeEveryConnection) {
    Studio studio;
    ASSERT_GT(studio.port, 0);
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i)
        if (const int fd = connectFrom("127.0.0.4", studio.port); fd >= 0) idle.push_back(fd);
    ASSERT_EQ(idle.size(), 40u);
    // The connections beyond the address's share (32) are refused at once,
    // whichever the studio happened to take first.
    std::string refused;
    for (int round = 0; round < 40 && refused.empty(); ++round) { // at most 4 s
        std::vector<pollfd> watched;
        for (const int c : idle) watched.push_back({c, POLLIN, 0});
        if (::poll(watched.data(), watched.size(), 100) <= 0) continue;
        for (const pollfd &w : watched)
            if (w.revents != 0) {
                refused = answerWithin(w.fd, 1s);
                break;
            }
    }
    EXPECT_EQ(statusLine(refused), "HTTP/1.1 503 Service Unavailable") << refused;
    EXPECT_NE(refused.find("too many connections from this address"), std::string::npos) << refused;
    // Another address is still served.
    const int fd = connectFrom("127.0.0.1", studio.port);
    sendText(fd, request(studio, "GET /api/scene HTTP/1.1\r\n"));
    EXPECT_EQ(statusLine(answerWithin(fd, 3s)), "HTTP/1.1 200 OK");
    ::close(fd);
    for (const int c : idle) ::close(c);
}

// The page asks for the scene at once: a long scene's emitter paths come at
// a resolution the view can draw, not a point per frame of every object (12
// objects over a million frames ended the studio in std::bad_alloc).
TEST(StudioClients, ALongScenesPathsComeSampled) {
    plix::testing::TempFolder folder;
    std::string text = "frames 0 999999\n";
    for (int i = 0; i < 12; ++i)
        text += "object E" + std::to_string(i) + "\n  points 2\n  position 0 0 0 0\n  position 999999 " + std::to_string(i) +
                " 0 0\n  effect\n";
    const auto scene = folder.write("long.scene", text);
    Studio studio({scene.string()});
    ASSERT_GT(studio.port, 0);
    const int fd = connectFrom("127.0.0.1", studio.port);
    sendText(fd, request(studio, "GET /api/scene HTTP/1.1\r\n"));
    const std::string answer = answerWithin(fd, 60s);
    ::close(fd);
    ASSERT_EQ(statusLine(answer), "HTTP/1.1 200 OK") << answer.substr(0, 300);
    EXPECT_LT(answer.size(), 12u * 2000 * 80) << "at most 2000 points a path";
    EXPECT_NE(answer.find("\"frames\":[0,500,"), std::string::npos) << answer.substr(0, 300);
    EXPECT_NE(answer.find(",999999]"), std::string::npos);
}

struct HeaderCase {
    const char *name;
    std::string (*request)(const Studio &);
    const char *status;
    const char *says;
};

void PrintTo(const HeaderCase &c, std::ostream *os) { *os << c.name; }

const HeaderCase headerCases[] = {
    {"negative Content-Length",
     [](const Studio &s) {
         return "POST /api/save HTTP/1.1\r\nHost: " + s.host() + "\r\nContent-Type: application/json\r\n"
                "Content-Length: -1\r\n\r\n{}";
     },
     "HTTP/1.1 400 Bad Request", "Content-Length is not a whole number of bytes ('-1')"},
    {"two Content-Lengths",
     [](const Studio &s) {
         return "POST /api/save HTTP/1.1\r\nHost: " + s.host() + "\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n{}";
     },
     "HTTP/1.1 400 Bad Request", "two Content-Length headers"},
    {"two Host headers, the first one right",
     [](const Studio &s) {
         return "GET /api/scene HTTP/1.1\r\nHost: " + s.host() + "\r\nHost: evil.example\r\nX-Plix-Token: " + s.token +
                "\r\n\r\n";
     },
     "HTTP/1.1 400 Bad Request", "two Host headers"},
    {"media type in capitals",
     [](const Studio &s) {
         const std::string body = R"({"id": "grav", "value": 3.5})";
         return "POST /api/panel/0 HTTP/1.1\r\nHost: " + s.host() + "\r\nX-Plix-Token: " + s.token +
                "\r\nContent-Type: APPLICATION/JSON; Charset=UTF-8\r\nConnection: close\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\n\r\n" + body;
     },
     "HTTP/1.1 200 OK", "\"grav\""},
    {"a number beyond a double",
     [](const Studio &s) {
         const std::string body = R"({"id": "grav", "value": 1e999})";
         return "POST /api/panel/0 HTTP/1.1\r\nHost: " + s.host() + "\r\nX-Plix-Token: " + s.token +
                "\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\n\r\n" + body;
     },
     "HTTP/1.1 400 Bad Request", "not a finite number"},
    {"a body in chunks",
     [](const Studio &s) {
         return "POST /api/panel/0 HTTP/1.1\r\nHost: " + s.host() + "\r\nX-Plix-Token: " + s.token +
                "\r\nContent-Type: application/json\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n"
                "5\r\n{\"id\"\r\n17\r\n: \"grav\", \"value\": 2.5}\r\n0\r\n\r\n";
     },
     "HTTP/1.1 200 OK", "2.5"},
    {"a header without end, then silence",
     [](const Studio &s) { return "GET / HTTP/1.1\r\nHost: " + s.host() + "\r\n"; }, "HTTP/1.1 408 Request Timeout",
     "did not arrive in time"},
};

class StudioHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(StudioHeaders, AreAnsweredAtOnceAndRightly) {
    static Studio studio; // one studio for the table
    ASSERT_GT(studio.port, 0);
    const HeaderCase &c = GetParam();
    const int fd = connectFrom("127.0.0.1", studio.port);
    ASSERT_GE(fd, 0);
    sendText(fd, c.request(studio));
    const std::string answer = answerWithin(fd, 20s);
    ::close(fd);
    EXPECT_EQ(statusLine(answer), c.status) << answer;
    EXPECT_NE(answer.find(c.says), std::string::npos) << answer;
}

INSTANTIATE_TEST_SUITE_P(EachCase, StudioHeaders, ::testing::ValuesIn(headerCases),
                         [](const ::testing::TestParamInfo<HeaderCase> &info) {
                             std::string name;
                             for (const char ch : std::string(info.param.name))
                                 name.push_back(std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_');
                             return name;
                         });

} // namespace
