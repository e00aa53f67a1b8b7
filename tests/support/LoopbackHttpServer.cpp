// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/LoopbackHttpServer.h"

#include "base/BrokenPipe.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace nimbrell::test {

namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;

std::string statusHead(int code, std::string_view reason, const std::vector<std::string>& headers)
{
    std::string head = "HTTP/1.1 " + std::to_string(code) + " " + std::string(reason) + "\r\n";
    for (const auto& header : headers)
        head += header + "\r\n";
    head += "\r\n";
    return head;
}

char hexDigit(unsigned value)
{
    return "0123456789abcdef"[value & 0xF];
}

std::string hex(std::size_t value)
{
    std::string out;
    do {
        out.insert(out.begin(), hexDigit(static_cast<unsigned>(value)));
        value >>= 4;
    } while (value);
    return out;
}

}

int ListenOnLoopback(int backlog, std::uint16_t& port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        throw std::runtime_error(std::string("bind/listen failed: ") + std::strerror(errno));
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

Reply Reply::Head(int code, std::string_view reason, const std::vector<std::string>& headers)
{
    return Raw(statusHead(code, reason, headers));
}

Reply Reply::Ok(std::string_view body, std::string_view contentType)
{
    return Status(200, "OK", body, { "Content-Type: " + std::string(contentType) });
}

Reply Reply::Status(int code, std::string_view reason, std::string_view body, const std::vector<std::string>& headers)
{
    std::vector<std::string> all = headers;
    all.push_back("Content-Length: " + std::to_string(body.size()));
    return Head(code, reason, all).Send(body);
}

Reply Reply::Redirect(int code, std::string_view location)
{
    return Status(code, "Moved", "moved", { "Location: " + std::string(location) });
}

Reply Reply::Chunked(const std::vector<std::string>& chunks, std::string_view extension, const std::vector<std::string>& trailers)
{
    std::string body;
    for (const auto& chunk : chunks)
        body += hex(chunk.size()) + std::string(extension) + "\r\n" + chunk + "\r\n";
    body += "0\r\n";
    for (const auto& trailer : trailers)
        body += trailer + "\r\n";
    body += "\r\n";
    return Head(200, "OK", { "Transfer-Encoding: chunked" }).Send(body);
}

Reply Reply::Raw(std::string_view bytes)
{
    Reply reply;
    reply.Send(bytes);
    return reply;
}

Reply& Reply::Send(std::string_view bytes)
{
    if (!m_steps.empty() && m_steps.back().kind == Step::Kind::Send)
        m_steps.back().bytes += bytes;
    else
        m_steps.push_back({ Step::Kind::Send, std::string(bytes), {}, 0 });
    return *this;
}

Reply& Reply::Delay(std::chrono::milliseconds pause)
{
    m_steps.push_back({ Step::Kind::Delay, {}, pause, 0 });
    return *this;
}

Reply& Reply::Stall()
{
    m_steps.push_back({ Step::Kind::Stall, {}, {}, 0 });
    return *this;
}

Reply& Reply::SendForever(std::string_view pattern, std::size_t maxBytes)
{
    m_steps.push_back({ Step::Kind::Repeat, std::string(pattern), {}, maxBytes });
    return *this;
}

Reply& Reply::CloseWithoutNotice()
{
    m_withoutNotice = true;
    return *this;
}

Reply& Reply::KeepAlive()
{
    m_keepAlive = true;
    return *this;
}

LoopbackHttpServer::LoopbackHttpServer(const TlsIdentity& tls)
{
    if (!tls.certificateFile.empty()) {
        m_tls = SSL_CTX_new(TLS_server_method());
        SSL_CTX_set_min_proto_version(m_tls, TLS1_2_VERSION);
        if (!tls.cipherSuites.empty())
            SSL_CTX_set_ciphersuites(m_tls, tls.cipherSuites.c_str());
        if (SSL_CTX_use_certificate_chain_file(m_tls, tls.certificateFile.c_str()) != 1
            || SSL_CTX_use_PrivateKey_file(m_tls, tls.keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
            SSL_CTX_free(m_tls);
            throw std::runtime_error("cannot load the test server's certificate");
        }
    }
    if (::pipe2(m_wakeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_listenFd = ListenOnLoopback(64, m_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stopping = true;
    char wake = 1;
    [[maybe_unused]] auto written = ::write(m_wakeFds[1], &wake, 1);
    m_acceptor.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& worker : workers)
        worker.join();
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
    SSL_CTX_free(m_tls);
}

std::string LoopbackHttpServer::HostPort() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string LoopbackHttpServer::Url(std::string_view path) const
{
    return (m_tls ? "https://" : "http://") + HostPort() + std::string(path);
}

void LoopbackHttpServer::Enqueue(Reply reply)
{
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(reply));
}

void LoopbackHttpServer::Route(std::string target, Reply reply)
{
    std::lock_guard lock(m_mutex);
    m_routes.insert_or_assign(std::move(target), std::move(reply));
}

void LoopbackHttpServer::SetHandler(std::function<Reply(const ReceivedRequest&)> handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void LoopbackHttpServer::SetGreeting(Reply greeting)
{
    std::lock_guard lock(m_mutex);
    m_greeting = std::move(greeting);
}

std::vector<ReceivedRequest> LoopbackHttpServer::Requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool LoopbackHttpServer::waitFor(int fd, short events, int timeoutMs) const
{
    pollfd fds[2] = { { fd, events, 0 }, { m_wakeFds[0], POLLIN, 0 } };
    for (;;) {
        if (m_stopping)
            return false;
        int ready = ::poll(fds, 2, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0 || (fds[1].revents & POLLIN))
            return false;
        return fds[0].revents != 0;
    }
}

bool LoopbackHttpServer::sendAll(int fd, std::string_view bytes) const
{
    while (!bytes.empty()) {
        if (!waitFor(fd, POLLOUT, -1))
            return false;
        ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void LoopbackHttpServer::acceptLoop()
{
    for (;;) {
        if (!waitFor(m_listenFd, POLLIN, -1))
            return;
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        int connection = ++m_connections;
        std::lock_guard lock(m_mutex);
        m_workers.emplace_back([this, fd, connection] { serve(fd, connection); });
    }
}

Reply LoopbackHttpServer::replyFor(const ReceivedRequest& request)
{
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
    if (m_handler)
        return m_handler(request);
    if (!m_queue.empty()) {
        Reply reply = std::move(m_queue.front());
        m_queue.pop_front();
        return reply;
    }
    auto route = m_routes.find(request.target);
    if (route != m_routes.end())
        return route->second;
    return Reply::Status(404, "Not Found", "no reply scripted");
}

bool LoopbackHttpServer::WaitForClosedConnections(int count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_mutex);
    return m_closed.wait_for(lock, limit, [&] { return m_closedConnections >= count; });
}

bool LoopbackHttpServer::waitForTls(Channel& channel, int result) const
{
    switch (SSL_get_error(channel.ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return waitFor(channel.fd, POLLIN, -1);
    case SSL_ERROR_WANT_WRITE:
        return waitFor(channel.fd, POLLOUT, -1);
    default:
        return false;
    }
}

bool LoopbackHttpServer::acceptTls(Channel& channel)
{
    ::fcntl(channel.fd, F_SETFL, ::fcntl(channel.fd, F_GETFL) | O_NONBLOCK);
    channel.ssl = SSL_new(m_tls);
    SSL_set_fd(channel.ssl, channel.fd);
    for (;;) {
        int result = SSL_accept(channel.ssl);
        if (result == 1)
            return true;
        if (!waitForTls(channel, result)) {
            ERR_clear_error();
            return false;
        }
    }
}

bool LoopbackHttpServer::receiveSome(Channel& channel, std::string& pending)
{
    char buffer[16384];
    if (!channel.ssl) {
        if (!waitFor(channel.fd, POLLIN, -1))
            return false;
        ssize_t received = ::recv(channel.fd, buffer, sizeof buffer, 0);
        if (received <= 0)
            return false;
        pending.append(buffer, static_cast<std::size_t>(received));
        return true;
    }
    for (;;) {
        int received = SSL_read(channel.ssl, buffer, sizeof buffer);
        if (received > 0) {
            pending.append(buffer, static_cast<std::size_t>(received));
            return true;
        }
        if (!waitForTls(channel, received)) {
            ERR_clear_error();
            return false;
        }
    }
}

bool LoopbackHttpServer::sendAll(Channel& channel, std::string_view bytes)
{
    if (!channel.ssl)
        return sendAll(channel.fd, bytes);
    while (!bytes.empty()) {
        int sent = SSL_write(channel.ssl, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)));
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (!waitForTls(channel, sent)) {
            ERR_clear_error();
            return false;
        }
    }
    return true;
}

bool LoopbackHttpServer::play(Channel& channel, const Reply& reply)
{
    bool open = true;
    for (const auto& step : reply.m_steps) {
        switch (step.kind) {
        case Reply::Step::Kind::Send:
            open = sendAll(channel, step.bytes);
            break;
        case Reply::Step::Kind::Delay:
            // Returns early only when the server stops or the client hangs up.
            if (waitFor(channel.fd, POLLIN, static_cast<int>(step.pause.count()))) {
                char probe;
                if (channel.ssl) {
                    int peeked = SSL_peek(channel.ssl, &probe, 1);
                    open = peeked > 0 || SSL_get_error(channel.ssl, peeked) == SSL_ERROR_WANT_READ;
                    ERR_clear_error();
                } else {
                    open = ::recv(channel.fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
                }
            }
            open = open && !m_stopping;
            break;
        case Reply::Step::Kind::Stall: {
            std::string sink;
            while (open) {
                open = receiveSome(channel, sink);
                sink.clear();
            }
            break;
        }
        case Reply::Step::Kind::Repeat: {
            // Sent in large blocks so that a long stream costs few system calls.
            std::string block = step.bytes;
            while (!block.empty() && block.size() < 65536)
                block += step.bytes;
            std::size_t sent = 0;
            while (open && sent < step.limit && !block.empty()) {
                std::string_view piece(block);
                piece = piece.substr(0, std::min(piece.size(), step.limit - sent));
                open = sendAll(channel, piece);
                sent += piece.size();
            }
            break;
        }
        }
        if (!open)
            return false;
    }
    return true;
}

void LoopbackHttpServer::serve(int fd, int connection)
{
    // The TLS library writes without MSG_NOSIGNAL; a client gone early must not end the test.
    BrokenPipeSuppressed quiet;
    Channel channel { fd };
    struct CloseOnExit {
        LoopbackHttpServer& server;
        Channel& channel;
        ~CloseOnExit()
        {
            if (channel.ssl) {
                if (!channel.withoutNotice)
                    SSL_shutdown(channel.ssl);
                SSL_free(channel.ssl);
            }
            ::close(channel.fd);
            std::lock_guard lock(server.m_mutex);
            ++server.m_closedConnections;
            server.m_closed.notify_all();
        }
    } closeOnExit { *this, channel };

    std::optional<Reply> greeting;
    {
        std::lock_guard lock(m_mutex);
        greeting = m_greeting;
    }
    if (greeting) {
        if (!play(channel, *greeting))
            return;
    } else if (m_tls && !acceptTls(channel)) {
        return;
    }

    std::string pending;
    for (bool open = true; open;) {
        std::size_t headEnd;
        while ((headEnd = pending.find("\r\n\r\n")) == std::string::npos) {
            if (pending.size() > kMaxRequestHead || !receiveSome(channel, pending))
                return;
        }
        ReceivedRequest request;
        request.raw = pending.substr(0, headEnd + 4);
        pending.erase(0, headEnd + 4);
        request.connection = connection;
        auto firstBlank = request.raw.find(' ');
        auto secondBlank = request.raw.find(' ', firstBlank + 1);
        request.method = request.raw.substr(0, firstBlank);
        if (firstBlank != std::string::npos && secondBlank != std::string::npos)
            request.target = request.raw.substr(firstBlank + 1, secondBlank - firstBlank - 1);

        Reply reply = replyFor(request);
        channel.withoutNotice = reply.m_withoutNotice;
        open = play(channel, reply) && reply.m_keepAlive;
    }
}

}
