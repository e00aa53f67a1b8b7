// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TLS (1.2 or newer) over a connected TCP connection, with OpenSSL (opened when
// the first connection is made). The peer's
// certificate must chain to the system's trusted store (SSL_CERT_FILE and
// SSL_CERT_DIR override it, as usual for OpenSSL) and name the host asked for
// in a subject alternative name (never by the common name alone; a wildcard
// only as a whole leftmost label).

#include "http/Connection.h"
#include "http/TcpConnection.h"

#include <memory>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace nimbrell {

struct OpenSsl;

class TlsConnection final : public Connection {
public:
    // Shakes hands with `host` over `tcp`; each wait of the handshake lasts at
    // most `timeoutMs` (> 0). Throws TlsError with the reason when the
    // handshake or the certificate check fails.
    TlsConnection(std::unique_ptr<TcpConnection> tcp, const std::string& host, int timeoutMs);
    ~TlsConnection() override;
    TlsConnection(const TlsConnection&) = delete;
    TlsConnection& operator=(const TlsConnection&) = delete;

    void Send(std::string_view data) override;
    std::size_t Receive(char* buffer, std::size_t capacity, int timeoutMs) override;
    bool IsOpen() const override { return m_tcp && m_tcp->IsOpen(); }
    bool IsStale() override;
    void SetDeadline(FetchDeadline deadline) override { m_tcp->SetDeadline(deadline); }

    // The negotiated protocol and cipher, e.g. "TLSv1.3" and "TLS_AES_128_GCM_SHA256".
    std::string Protocol() const;
    std::string Cipher() const;

private:
    void handshake(const std::string& host, int timeoutMs);
    // Waits as OpenSSL asks after `result` of an I/O call; false when the
    // call failed for good.
    bool waitAsAsked(int result, int timeoutMs);

    const OpenSsl& m_tls;
    std::unique_ptr<TcpConnection> m_tcp;
    SSL_CTX* m_context { nullptr };
    SSL* m_ssl { nullptr };
};

}
