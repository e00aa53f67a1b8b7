// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An HTTP/1.1 GET client over plain TCP, and over TLS for https addresses. One
// client serves one Get on one thread; the caller calls Disconnect afterwards,
// successful or not.

#include "http/ByteStream.h"
#include "http/Connection.h"
#include "http/HttpProgress.h"
#include "http/HttpResponse.h"
#include "http/HttpTarget.h"
#include "http/ProxySettings.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrell {

class HttpResponseReader;

class HttpClient {
public:
    static constexpr int kDefaultRedirectLimit = 15;
    static constexpr int kRedirectBodyWaitMs = 5000;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Milliseconds each wait for data may last; 0 or -1 mean no bound.
    int ReadTimeout() const { return m_readTimeoutMs; }
    void SetReadTimeout(int milliseconds) { m_readTimeoutMs = milliseconds; }
    const std::string& CacheControl() const { return m_cacheControl; }
    void SetCacheControl(std::string value) { m_cacheControl = std::move(value); }
    bool FollowRedirects() const { return m_followRedirects; }
    void SetFollowRedirects(bool follow) { m_followRedirects = follow; }
    int RedirectLimit() const { return m_redirectLimit; }
    void SetRedirectLimit(int limit) { m_redirectLimit = limit; }
    const std::string& UserAgent() const { return m_userAgent; }
    void SetUserAgent(std::string agent) { m_userAgent = std::move(agent); }
    const std::string& Accept() const { return m_accept; }
    // Largest body, kept or discarded, that one response may carry; a larger
    // one fails with "Response body too large." before it is stored.
    std::int64_t MaxBodySize() const { return m_maxBodySize; }
    void SetMaxBodySize(std::int64_t bytes) { m_maxBodySize = bytes; }
    void SetProgressListener(HttpProgressListener listener) { m_progress.SetListener(std::move(listener)); }
    // Milliseconds a connect attempt (and a TLS handshake wait) may last; 0 or
    // less leaves it to the system.
    int ConnectTimeout() const { return m_connectTimeoutMs; }
    void SetConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }
    // Milliseconds one whole Get may last, redirects included; 0 or less means
    // no bound. Past it the Get fails with DeadlineError.
    int Deadline() const { return m_deadlineMs; }
    void SetDeadline(int milliseconds) { m_deadlineMs = milliseconds; }
    // When set, a body cut short by a close, a malformed chunk size or a
    // chunked body without its last chunk fails with IncompleteBodyError
    // instead of ending the body. Off by default.
    bool RequireCompleteBody() const { return m_requireCompleteBody; }
    void SetRequireCompleteBody(bool require) { m_requireCompleteBody = require; }
    // No proxy by default; ProxySettings::FromEnvironment() for the usual convention.
    const ProxySettings& Proxy() const { return m_proxy; }
    void SetProxy(ProxySettings proxy) { m_proxy = std::move(proxy); }

    // Fetches `url` and writes the final response's body into `target` from its
    // position at the call. Returns for a 2xx answer, and when the redirect
    // limit stops a redirect chain (then nothing of this fetch is in `target`).
    // Throws HttpStatusError for other answers, SocketError, HttpError otherwise.
    void Get(std::string_view url, ByteStream& target);
    void Disconnect();

    // The last response read, and how many redirects the last Get met.
    const HttpResponse& Response() const { return m_response; }
    int RedirectCount() const { return m_redirectCount; }
    const HttpTarget& Target() const { return m_target; }

private:
    struct Cookie {
        std::string name;
        std::string value;
        std::string domain; // lower case; host-only when !domainMatch
        bool domainMatch { false };
        std::string path;
    };

    enum class Decision {
        Redirect,
        Success,
        Failure
    };

    // Returns true when an open connection was kept for this request.
    bool connectTo(const HttpTarget& target);
    std::unique_ptr<Connection> openConnection(const HttpTarget& target, const std::optional<HttpTarget>& proxy);
    // Sends the request and reads the answer's head.
    HttpResponse exchangeHead();
    std::string buildRequest() const;
    void storeCookies(const HttpResponse& response);
    std::string cookieHeader() const;
    Decision decide(const HttpResponse& response) const;
    void finishExchange(bool keepAlive);
    void discardRedirectBody(HttpResponse& response);
    [[noreturn]] void failWithStatus(HttpResponse& response);

    int m_readTimeoutMs { -1 };
    std::string m_cacheControl;
    bool m_followRedirects { false };
    int m_redirectLimit { kDefaultRedirectLimit };
    std::string m_userAgent { "Mozilla/3.0 (compatible; Nimbrell Library)" };
    std::string m_accept { "text/html, */*" };
    std::string m_protocolVersion { "1.1" };
    std::int64_t m_maxBodySize { std::int64_t(512) << 20 };
    int m_connectTimeoutMs { -1 };
    int m_deadlineMs { -1 };
    bool m_requireCompleteBody { false };
    ProxySettings m_proxy;

    HttpTarget m_target;
    int m_redirectCount { 0 };
    std::vector<Cookie> m_cookies;
    HttpResponse m_response;
    ProgressTracker m_progress;
    FetchDeadline m_deadline;
    std::unique_ptr<Connection> m_connection;
    std::string m_connectionKey;   // scheme, host, port and proxy the connection serves
    bool m_viaHttpProxy { false }; // plain http through a proxy: absolute request targets
    std::unique_ptr<HttpResponseReader> m_reader;
    bool m_keepAlive { false };
};

// Disconnects a client on every way out of a scope, errors included.
struct DisconnectOnExit {
    HttpClient& client;
    ~DisconnectOnExit() { client.Disconnect(); }
};

}
