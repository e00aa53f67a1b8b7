// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/HttpClient.h"

#include "http/HttpError.h"
#include "http/HttpResponseReader.h"
#include "http/TcpConnection.h"
#include "http/TlsConnection.h"
#include "base/Text.h"

#include <algorithm>

namespace nimbrell {

namespace {

constexpr std::size_t kMaxCookies = 64;

// Header texts go out as 7-bit ASCII; anything else, and any control byte that
// could end the line early, becomes '?'.
std::string asRequestText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        auto byte = static_cast<unsigned char>(c);
        if (byte > 0x7E || (byte < 0x20 && byte != '\t'))
            c = '?';
    }
    return out;
}

void appendHeader(std::string& request, std::string_view name, std::string_view value)
{
    request += name;
    request += ": ";
    request += asRequestText(value);
    request += "\r\n";
}

std::string connectionKey(const HttpTarget& target, const std::optional<HttpTarget>& proxy)
{
    std::string key = target.scheme + "://" + AsciiLower(target.host) + ":" + std::to_string(target.port);
    if (proxy)
        key += " via " + AsciiLower(proxy->host) + ":" + std::to_string(proxy->port);
    return key;
}

bool hasBodyByStatus(int code)
{
    return !(code >= 100 && code < 200) && code != 204 && code != 304;
}

}

HttpClient::HttpClient() = default;

HttpClient::~HttpClient() = default;

void HttpClient::Get(std::string_view url, ByteStream& target)
{
    const std::int64_t startPosition = target.Position();
    const std::int64_t startSize = target.Size();
    m_redirectCount = 0;
    m_deadline.reset();
    if (m_deadlineMs > 0)
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_deadlineMs);
    HttpTarget next = ResolveTarget(m_target, url);

    for (;;) {
        m_target = next;
        try {
            m_response = exchangeHead();
            storeCookies(m_response);
            switch (decide(m_response)) {
            case Decision::Success:
                if (m_response.statusCode != 204)
                    m_reader->ReadBody(m_response, &target);
                finishExchange(m_response.AllowsKeepAlive());
                return;
            case Decision::Failure:
                failWithStatus(m_response);
            case Decision::Redirect:
                break;
            }
            ++m_redirectCount;
            if (!m_followRedirects || m_response.location.empty())
                failWithStatus(m_response);
            target.SetSize(startSize);
            target.Seek(startPosition);
            if (m_redirectCount >= m_redirectLimit) {
                finishExchange(false);
                return;
            }
            next = ResolveTarget(m_target, m_response.location);
            discardRedirectBody(m_response);
        } catch (const HttpStatusError&) {
            finishExchange(m_response.AllowsKeepAlive());
            throw;
        } catch (...) {
            finishExchange(false);
            throw;
        }
    }
}

void HttpClient::Disconnect()
{
    m_reader.reset();
    m_connection.reset();
    m_connectionKey.clear();
    m_keepAlive = false;
}

HttpResponse HttpClient::exchangeHead()
{
    bool reused = connectTo(m_target);
    std::uint64_t receivedBefore = m_reader->ReceivedBytes();
    try {
        m_connection->Send(buildRequest());
        return m_reader->ReadHead();
    } catch (const ConnectionClosedError&) {
        if (!reused || m_reader->ReceivedBytes() != receivedBefore)
            throw;
    } catch (const SocketError&) {
        if (!reused || m_reader->ReceivedBytes() != receivedBefore)
            throw;
    }
    // The server closed the idle connection while the request was on its way;
    // that says nothing about the request, so it goes once more on a new one.
    Disconnect();
    connectTo(m_target);
    m_connection->Send(buildRequest());
    return m_reader->ReadHead();
}

bool HttpClient::connectTo(const HttpTarget& target)
{
    std::optional<HttpTarget> proxy = m_proxy.ProxyFor(target);
    std::string key = connectionKey(target, proxy);
    if (m_connection) {
        bool reusable = m_keepAlive && m_connection->IsOpen() && m_connectionKey == key && !m_connection->IsStale()
            && m_reader && m_reader->Buffered() == 0;
        if (!reusable)
            Disconnect();
    }
    bool reused = m_connection != nullptr;
    if (!m_connection) {
        m_connection = openConnection(target, proxy);
        m_connectionKey = key;
        m_viaHttpProxy = proxy && target.scheme == "http";
        m_reader = std::make_unique<HttpResponseReader>(*m_connection, m_progress);
    }
    m_connection->SetDeadline(m_deadline);
    HttpReaderLimits limits;
    limits.readTimeoutMs = m_readTimeoutMs;
    limits.maxBodySize = m_maxBodySize;
    limits.requireCompleteBody = m_requireCompleteBody;
    m_reader->SetLimits(limits);
    return reused;
}

std::unique_ptr<Connection> HttpClient::openConnection(const HttpTarget& target, const std::optional<HttpTarget>& proxy)
{
    auto tcp = std::make_unique<TcpConnection>();
    tcp->SetDeadline(m_deadline);
    const HttpTarget& first = proxy ? *proxy : target;
    tcp->Connect(first.host, first.port, m_connectTimeoutMs);
    if (target.scheme != "https")
        return tcp;
    if (proxy) {
        // A tunnel through the proxy; the TLS session then runs end to end.
        std::string authority = target.host + ":" + std::to_string(target.port);
        std::string request = "CONNECT " + authority + " HTTP/1.1\r\n";
        appendHeader(request, "Host", authority);
        appendHeader(request, "User-Agent", m_userAgent);
        if (std::string login = m_proxy.AuthorizationFor(target); !login.empty())
            appendHeader(request, "Proxy-Authorization", login);
        request += "\r\n";
        tcp->Send(request);
        ProgressTracker quiet;
        HttpResponseReader reader(*tcp, quiet);
        HttpReaderLimits limits;
        limits.readTimeoutMs = m_readTimeoutMs;
        reader.SetLimits(limits);
        HttpResponse answer = reader.ReadHead();
        if (answer.statusCode < 200 || answer.statusCode >= 300 || reader.Buffered() != 0)
            throw HttpError("The proxy refused the tunnel to " + authority + ": " + answer.statusLine);
    }
    int handshakeWait = m_connectTimeoutMs > 0 ? m_connectTimeoutMs : m_readTimeoutMs;
    return std::make_unique<TlsConnection>(std::move(tcp), target.host, handshakeWait);
}

std::string HttpClient::buildRequest() const
{
    std::string requestTarget = m_target.RequestTarget();
    if (m_viaHttpProxy)
        requestTarget = "http://" + m_target.HostHeader() + requestTarget;
    std::string request = "GET " + requestTarget + " HTTP/" + m_protocolVersion + "\r\n";
    if (!m_cacheControl.empty())
        appendHeader(request, "Cache-control", m_cacheControl);
    appendHeader(request, "Host", m_target.HostHeader());
    appendHeader(request, "Accept", m_accept);
    appendHeader(request, "Accept-Encoding", "identity");
    appendHeader(request, "User-Agent", m_userAgent);
    // Through a plain proxy the request itself goes to the proxy.
    if (m_viaHttpProxy) {
        if (std::string login = m_proxy.AuthorizationFor(m_target); !login.empty())
            appendHeader(request, "Proxy-Authorization", login);
    }
    std::string cookies = cookieHeader();
    if (!cookies.empty())
        appendHeader(request, "Cookie", cookies);
    request += "\r\n";
    return request;
}

HttpClient::Decision HttpClient::decide(const HttpResponse& response) const
{
    int code = response.statusCode;
    if ((code >= 300 && code < 400 && code != 304) || (response.HasLocation() && code != 201))
        return Decision::Redirect;
    if (code >= 200 && code < 300)
        return Decision::Success;
    return Decision::Failure;
}

void HttpClient::discardRedirectBody(HttpResponse& response)
{
    bool announced = response.IsChunked() || response.contentLength != 0;
    if (!announced || !hasBodyByStatus(response.statusCode)) {
        finishExchange(response.AllowsKeepAlive());
        return;
    }
    int wait = kRedirectBodyWaitMs;
    if (m_readTimeoutMs > 0)
        wait = std::min(wait, m_readTimeoutMs);
    if (!m_reader->WaitForData(wait)) {
        finishExchange(false);
        return;
    }
    m_reader->ReadBody(response, nullptr);
    finishExchange(response.AllowsKeepAlive());
}

void HttpClient::failWithStatus(HttpResponse& response)
{
    MemoryStream body;
    try {
        if (hasBodyByStatus(response.statusCode))
            m_reader->ReadBody(response, &body);
    } catch (const IncompleteBodyError&) {
        // The status is the answer; its page only explains it. The
        // connection cannot carry another exchange after an unread body.
        response.connection = "close";
    }
    throw HttpStatusError(response.statusCode, response.statusLine, body.ToString());
}

void HttpClient::finishExchange(bool keepAlive)
{
    m_keepAlive = keepAlive && m_reader && !m_reader->PeerClosed();
    if (!m_keepAlive)
        Disconnect();
}

void HttpClient::storeCookies(const HttpResponse& response)
{
    std::vector<std::string> lines = response.HeaderValues("Set-Cookie");
    for (auto& line : response.HeaderValues("Set-Cookie2"))
        lines.push_back(std::move(line));

    for (const auto& line : lines) {
        std::string_view text = line;
        auto firstSemicolon = text.find(';');
        auto pair = text.substr(0, firstSemicolon);
        auto equals = pair.find('=');
        if (equals == std::string_view::npos)
            continue;
        Cookie cookie;
        cookie.name = std::string(TrimAsciiWhitespace(pair.substr(0, equals)));
        cookie.value = std::string(TrimAsciiWhitespace(pair.substr(equals + 1)));
        if (cookie.name.empty())
            continue;
        cookie.domain = AsciiLower(m_target.host);
        cookie.path = m_target.path;
        bool expired = false;
        bool foreign = false;

        std::string_view attributes = firstSemicolon == std::string_view::npos ? std::string_view() : text.substr(firstSemicolon + 1);
        while (!attributes.empty()) {
            auto end = attributes.find(';');
            auto attribute = attributes.substr(0, end);
            attributes = end == std::string_view::npos ? std::string_view() : attributes.substr(end + 1);
            auto attributeEquals = attribute.find('=');
            auto name = TrimAsciiWhitespace(attribute.substr(0, attributeEquals));
            auto value = attributeEquals == std::string_view::npos ? std::string_view()
                                                                   : TrimAsciiWhitespace(attribute.substr(attributeEquals + 1));
            if (EqualsIgnoringAsciiCase(name, "Domain") && !value.empty()) {
                if (value.front() == '.')
                    value.remove_prefix(1);
                if (!HostInDomain(m_target.host, value))
                    foreign = true;
                cookie.domain = AsciiLower(value);
                cookie.domainMatch = true;
            } else if (EqualsIgnoringAsciiCase(name, "Path") && value.starts_with('/')) {
                cookie.path = std::string(value);
            } else if (EqualsIgnoringAsciiCase(name, "Max-Age")) {
                expired = !value.empty() && (value.front() == '-' || value.find_first_not_of('0') == std::string_view::npos);
            }
        }
        if (foreign)
            continue;

        auto same = std::find_if(m_cookies.begin(), m_cookies.end(), [&](const Cookie& stored) {
            return stored.name == cookie.name && stored.domain == cookie.domain && stored.path == cookie.path;
        });
        if (same != m_cookies.end())
            m_cookies.erase(same);
        if (!expired && m_cookies.size() < kMaxCookies)
            m_cookies.push_back(std::move(cookie));
    }
}

std::string HttpClient::cookieHeader() const
{
    std::string requestPath = m_target.path + m_target.document;
    std::string header;
    for (const auto& cookie : m_cookies) {
        bool hostMatches = cookie.domainMatch ? HostInDomain(m_target.host, cookie.domain)
                                              : EqualsIgnoringAsciiCase(m_target.host, cookie.domain);
        if (!hostMatches || !requestPath.starts_with(cookie.path))
            continue;
        if (!header.empty())
            header += "; ";
        header += cookie.name + "=" + cookie.value;
    }
    return header;
}

}
