// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/TlsConnection.h"

#include "base/BrokenPipe.h"
#include "http/HttpError.h"
#include "http/OpenSsl.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <poll.h>

namespace nimbrell {

namespace {

bool isIpAddress(const std::string& host)
{
    in_addr v4;
    in6_addr v6;
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

std::string openSslReason(const OpenSsl& tls)
{
    unsigned long code = tls.ERR_peek_last_error();
    tls.ERR_clear_error();
    if (code == 0)
        return "the connection ended during the handshake";
    const char* reason = tls.ERR_reason_error_string(code);
    return reason ? reason : "error " + std::to_string(code);
}

// The first bytes the peer sent, kept to tell a server that is not speaking
// TLS at all from one that fails the handshake.
struct FirstBytes {
    char bytes[5] {};
    std::size_t size { 0 };
};

long recordFirstBytes(BIO* bio, int operation, const char* data, std::size_t, int, long, int result, std::size_t* processed)
{
    if (operation == (BIO_CB_READ | BIO_CB_RETURN) && result > 0 && processed) {
        auto* first = reinterpret_cast<FirstBytes*>(OpenSsl::Get().BIO_get_callback_arg(bio));
        std::size_t take = std::min(*processed, sizeof first->bytes - first->size);
        std::memcpy(first->bytes + first->size, data, take);
        first->size += take;
    }
    return result;
}

}

TlsConnection::TlsConnection(std::unique_ptr<TcpConnection> tcp, const std::string& host, int timeoutMs)
    : m_tls(OpenSsl::Get())
    , m_tcp(std::move(tcp))
{
    try {
        handshake(host, timeoutMs);
    } catch (...) {
        m_tls.SSL_free(m_ssl);
        m_tls.SSL_CTX_free(m_context);
        m_ssl = nullptr;
        m_context = nullptr;
        throw;
    }
}

TlsConnection::~TlsConnection()
{
    if (m_ssl && m_tcp->IsOpen()) {
        // Best effort: tells the peer the close is deliberate, without waiting.
        BrokenPipeSuppressed quiet;
        m_tls.SSL_shutdown(m_ssl);
    }
    m_tls.SSL_free(m_ssl);
    m_tls.SSL_CTX_free(m_context);
    m_tls.ERR_clear_error();
}

void TlsConnection::handshake(const std::string& host, int timeoutMs)
{
    m_tls.ERR_clear_error();
    m_context = m_tls.SSL_CTX_new(m_tls.TLS_client_method());
    if (!m_context)
        throw TlsError("TLS is not available: " + openSslReason(m_tls));
    m_tls.SSL_CTX_ctrl(m_context, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
    m_tls.SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
    // Reads SSL_CERT_FILE and SSL_CERT_DIR when set, else the system store.
    m_tls.SSL_CTX_set_default_verify_paths(m_context);
    // A peer that closes without notice ends a body like a plain close would;
    // the body's framing decides whether that is complete.
    m_tls.SSL_CTX_set_options(m_context, SSL_OP_IGNORE_UNEXPECTED_EOF);

    m_ssl = m_tls.SSL_new(m_context);
    if (!m_ssl)
        throw TlsError("TLS is not available: " + openSslReason(m_tls));
    if (isIpAddress(host)) {
        m_tls.X509_VERIFY_PARAM_set1_ip_asc(m_tls.SSL_get0_param(m_ssl), host.c_str());
    } else {
        m_tls.SSL_ctrl(m_ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name, const_cast<char*>(host.c_str()));
        // Only the alternative names count, and a wildcard only as a whole label.
        m_tls.SSL_set_hostflags(m_ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS | X509_CHECK_FLAG_NEVER_CHECK_SUBJECT);
        m_tls.SSL_set1_host(m_ssl, host.c_str());
    }
    BIO* bio = m_tls.BIO_new_socket(m_tcp->Descriptor(), BIO_NOCLOSE);
    FirstBytes first;
    m_tls.BIO_set_callback_ex(bio, recordFirstBytes);
    m_tls.BIO_set_callback_arg(bio, reinterpret_cast<char*>(&first));
    m_tls.SSL_set_bio(m_ssl, bio, bio);

    // The TLS library writes to the socket itself, without MSG_NOSIGNAL.
    BrokenPipeSuppressed quiet;
    for (;;) {
        int result = m_tls.SSL_connect(m_ssl);
        if (result == 1)
            break;
        bool again;
        try {
            again = waitAsAsked(result, timeoutMs);
        } catch (const ReadTimeoutError&) {
            throw TlsError("The TLS handshake with " + host + " timed out.");
        }
        if (again)
            continue;
        long verify = m_tls.SSL_get_verify_result(m_ssl);
        if (verify != X509_V_OK) {
            m_tls.ERR_clear_error();
            throw TlsError("The certificate of " + host + " was refused: " + m_tls.X509_verify_cert_error_string(verify) + ".");
        }
        // A TLS peer answers with a handshake (22) or an alert (21) record.
        if (first.size > 0 && first.bytes[0] != 0x15 && first.bytes[0] != 0x16) {
            m_tls.ERR_clear_error();
            throw TlsError("The server at " + host + " does not speak TLS on this port.");
        }
        throw TlsError("The TLS handshake with " + host + " failed: " + openSslReason(m_tls) + ".");
    }
    m_tls.BIO_set_callback_ex(bio, nullptr);
}

bool TlsConnection::waitAsAsked(int result, int timeoutMs)
{
    switch (m_tls.SSL_get_error(m_ssl, result)) {
    case SSL_ERROR_WANT_READ:
        m_tcp->WaitReady(POLLIN, timeoutMs);
        return true;
    case SSL_ERROR_WANT_WRITE:
        m_tcp->WaitReady(POLLOUT, timeoutMs);
        return true;
    case SSL_ERROR_SYSCALL:
        if (errno == EINTR || errno == EAGAIN)
            return true;
        return false;
    default:
        return false;
    }
}

void TlsConnection::Send(std::string_view data)
{
    BrokenPipeSuppressed quiet;
    while (!data.empty()) {
        m_tls.ERR_clear_error();
        int sent = m_tls.SSL_write(m_ssl, data.data(), static_cast<int>(std::min<std::size_t>(data.size(), 1 << 30)));
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        int savedErrno = errno;
        if (!waitAsAsked(sent, -1))
            throw SocketError(savedErrno ? savedErrno : EPIPE, "TLS write failed: " + openSslReason(m_tls));
    }
}

std::size_t TlsConnection::Receive(char* buffer, std::size_t capacity, int timeoutMs)
{
    // Reading may write too (a key update, an alert).
    BrokenPipeSuppressed quiet;
    for (;;) {
        m_tls.ERR_clear_error();
        int received = m_tls.SSL_read(m_ssl, buffer, static_cast<int>(std::min<std::size_t>(capacity, 1 << 30)));
        if (received > 0)
            return static_cast<std::size_t>(received);
        int error = m_tls.SSL_get_error(m_ssl, received);
        if (error == SSL_ERROR_ZERO_RETURN)
            return 0;
        int savedErrno = errno;
        if (waitAsAsked(received, timeoutMs))
            continue;
        if (error == SSL_ERROR_SYSCALL && savedErrno == 0)
            return 0;
        throw SocketError(savedErrno ? savedErrno : EPROTO, "TLS read failed: " + openSslReason(m_tls));
    }
}

bool TlsConnection::IsStale()
{
    if (!IsOpen() || m_tls.SSL_pending(m_ssl) > 0)
        return true;
    if (m_tcp->IsStale()) {
        // Readable may only mean a session ticket arrived; that leaves the
        // connection usable.
        char probe;
        m_tls.ERR_clear_error();
        int peeked = m_tls.SSL_peek(m_ssl, &probe, 1);
        if (peeked > 0)
            return true;
        int error = m_tls.SSL_get_error(m_ssl, peeked);
        m_tls.ERR_clear_error();
        return error != SSL_ERROR_WANT_READ;
    }
    return false;
}

std::string TlsConnection::Protocol() const
{
    return m_ssl ? m_tls.SSL_get_version(m_ssl) : "";
}

std::string TlsConnection::Cipher() const
{
    const char* name = m_ssl ? m_tls.SSL_CIPHER_get_name(m_tls.SSL_get_current_cipher(m_ssl)) : nullptr;
    return name ? name : "";
}

}
