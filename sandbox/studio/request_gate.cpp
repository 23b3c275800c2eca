#include "studio/request_gate.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <optional>

#include <nlohmann/json.hpp>
#include <poll.h>
#include <sys/socket.h>

#include "text/words.h"

namespace plix::studio {
namespace {

using text::lowered;

using Clock = std::chrono::steady_clock;

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

// Where the header ends (just past its empty line), or npos.
std::size_t headerEnd(const std::string &bytes) {
    const std::size_t crlf = bytes.find("\r\n\r\n");
    const std::size_t lf = bytes.find("\n\n");
    if (crlf == std::string::npos && lf == std::string::npos) return std::string::npos;
    if (lf == std::string::npos || (crlf != std::string::npos && crlf < lf)) return crlf + 4;
    return lf + 2;
}

GateOutcome outcome(GateOutcome::Kind kind, std::string request = {}) { return {kind, std::move(request), 0, {}}; }

GateOutcome refused(int status, std::string message) {
    return {GateOutcome::Refused, {}, status, std::move(message)};
}

// The body's length, or a refusal.
GateOutcome bodyLength(std::string_view header, std::size_t maxBody, std::size_t &length, bool &chunked) {
    std::map<std::string, std::vector<std::string>> fields;
    std::size_t at = header.find('\n'); // past the request line
    while (at != std::string_view::npos && at + 1 < header.size()) {
        const std::size_t end = header.find('\n', at + 1);
        const std::string_view line = header.substr(at + 1, (end == std::string_view::npos ? header.size() : end) - at - 1);
        at = end;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        fields[lowered(trimmed(line.substr(0, colon)))].push_back(trimmed(line.substr(colon + 1)));
    }
    if (fields["host"].size() > 1) return refused(400, "the request has two Host headers; it must name one host");
    const std::vector<std::string> &lengths = fields["content-length"];
    length = 0;
    chunked = false;
    if (!fields["transfer-encoding"].empty()) {
        if (fields["transfer-encoding"].size() > 1 || lowered(fields["transfer-encoding"].front()) != "chunked" ||
            !lengths.empty())
            return refused(400, "the request's Transfer-Encoding is not 'chunked' alone");
        chunked = true;
        return outcome(GateOutcome::Request);
    }
    if (lengths.empty()) return outcome(GateOutcome::Request);
    if (lengths.size() > 1) return refused(400, "the request has two Content-Length headers");
    const std::string &text = lengths.front();
    if (text.empty() || text.size() > 18 || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return refused(400, "Content-Length is not a whole number of bytes ('" + text.substr(0, 40) + "')");
    length = std::stoull(text);
    if (length > maxBody) return refused(413, "the body is larger than " + std::to_string(maxBody) + " bytes");
    return outcome(GateOutcome::Request);
}

} // namespace

RequestGate::Wait RequestGate::readMore(Clock::time_point deadline) {
    for (;;) {
        if (stopping_()) return Wait::Closed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return Wait::TimedOut;
        pollfd watched{socket_, POLLIN, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
        if (ready < 0 && errno != EINTR) return Wait::Closed;
        if (ready <= 0) continue;
        char buffer[8192];
        const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return Wait::Closed;
        pending_.append(buffer, static_cast<std::size_t>(got));
        return Wait::Data;
    }
}

GateOutcome RequestGate::next(bool first) {
    const auto started = Clock::now();
    // Blank lines between requests are allowed before a request line.
    const auto skipBlankLines = [this] {
        const std::size_t text = pending_.find_first_not_of("\r\n");
        pending_.erase(0, text == std::string::npos ? pending_.size() : text);
    };
    skipBlankLines();
    if (pending_.empty()) {
        const Wait wait = readMore(started + (first ? limits_.headerTime : limits_.idleWait));
        if (wait != Wait::Data) return outcome(GateOutcome::Done);
    }
    const auto headerDeadline = Clock::now() + limits_.headerTime;
    std::size_t end;
    for (skipBlankLines(); (end = headerEnd(pending_)) == std::string::npos; skipBlankLines()) {
        if (pending_.size() > limits_.maxHeaderBytes)
            return refused(431, "the request's header is longer than " + std::to_string(limits_.maxHeaderBytes) + " bytes");
        const Wait wait = readMore(headerDeadline);
        if (wait == Wait::TimedOut) return refused(408, "the request's header did not arrive in time");
        if (wait == Wait::Closed) return outcome(GateOutcome::Done);
    }
    if (end > limits_.maxHeaderBytes)
        return refused(431, "the request's header is longer than " + std::to_string(limits_.maxHeaderBytes) + " bytes");
    std::size_t length = 0;
    bool chunked = false;
    if (GateOutcome checked = bodyLength(std::string_view(pending_).substr(0, end), limits_.maxBodyBytes, length, chunked);
        checked.kind != GateOutcome::Request)
        return checked;
    const auto bodyDeadline = Clock::now() + limits_.bodyTime;
    if (chunked) return unchunked(end, bodyDeadline);
    while (pending_.size() < end + length) {
        const Wait wait = readMore(bodyDeadline);
        if (wait == Wait::TimedOut) return refused(408, "the request's body did not arrive in time");
        if (wait == Wait::Closed) return outcome(GateOutcome::Done);
    }
    GateOutcome whole = outcome(GateOutcome::Request, pending_.substr(0, end + length));
    pending_.erase(0, end + length);
    return whole;
}

// A body sent in chunks, handed on as one with its Content-Length (the one
// form read further on).
GateOutcome RequestGate::unchunked(std::size_t headerEnd, Clock::time_point deadline) {
    std::string body;
    std::size_t at = headerEnd;
    const auto line = [&](std::string &text) -> std::optional<GateOutcome> {
        std::size_t newline;
        while ((newline = pending_.find('\n', at)) == std::string::npos) {
            if (pending_.size() - at > 1024) return refused(400, "a chunk's size line is too long");
            const Wait wait = readMore(deadline);
            if (wait == Wait::TimedOut) return refused(408, "the request's body did not arrive in time");
            if (wait == Wait::Closed) return outcome(GateOutcome::Done);
        }
        text = trimmed(std::string_view(pending_).substr(at, newline - at));
        at = newline + 1;
        return std::nullopt;
    };
    for (;;) {
        std::string sizeText;
        if (auto stop = line(sizeText)) return *stop;
        sizeText = sizeText.substr(0, sizeText.find(';'));
        std::size_t size = 0;
        const auto parsed = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size, 16);
        if (sizeText.empty() || parsed.ec != std::errc() || parsed.ptr != sizeText.data() + sizeText.size())
            return refused(400, "a chunk's size is not a hexadecimal number");
        if (size > limits_.maxBodyBytes - std::min(body.size(), limits_.maxBodyBytes))
            return refused(413, "the body is larger than " + std::to_string(limits_.maxBodyBytes) + " bytes");
        if (size == 0) break;
        while (pending_.size() < at + size + 1) {
            const Wait wait = readMore(deadline);
            if (wait == Wait::TimedOut) return refused(408, "the request's body did not arrive in time");
            if (wait == Wait::Closed) return outcome(GateOutcome::Done);
        }
        body.append(pending_, at, size);
        at += size;
        std::string rest;
        if (auto stop = line(rest)) return *stop; // the chunk's line end
        if (!rest.empty()) return refused(400, "a chunk is longer than its size");
    }
    for (std::string trailer = "x"; !trailer.empty();)
        if (auto stop = line(trailer)) return *stop;
    std::string header;
    for (std::size_t from = 0; from < headerEnd;) {
        std::size_t to = pending_.find('\n', from);
        to = to == std::string::npos || to >= headerEnd ? headerEnd : to + 1;
        const std::string_view field = std::string_view(pending_).substr(from, to - from);
        from = to;
        if (lowered(std::string(field.substr(0, field.find(':')))) == "transfer-encoding") continue;
        if (trimmed(field).empty()) header += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        header += field;
    }
    pending_.erase(0, at);
    return outcome(GateOutcome::Request, header + body);
}

void sendRefusal(int socket, int status, const std::string &message) {
    const std::string body = nlohmann::json{{"error", message}}.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const char *reason = status == 408 ? "Request Timeout"
                         : status == 411 ? "Length Required"
                         : status == 413 ? "Payload Too Large"
                         : status == 431 ? "Request Header Fields Too Large"
                         : status == 503 ? "Service Unavailable"
                                         : "Bad Request";
    const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason +
                               "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
                               "\r\nConnection: close\r\n\r\n" + body;
    std::size_t sent = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(1);
    while (sent < answer.size() && Clock::now() < deadline) {
        pollfd watched{socket, POLLOUT, 0};
        if (::poll(&watched, 1, 100) <= 0) continue;
        const ssize_t n = ::send(socket, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace plix::studio
