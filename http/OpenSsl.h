// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// OpenSSL's functions, from the library opened the first time one is needed.
// Linked, libssl and libcrypto would be mapped into every start (1.7 MB
// resident), though only HTTPS fetches and update checks use them.

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace nimbrell {

#define NIMBRELL_OPENSSL_FUNCTIONS(F)   \
    F(BIO_get_callback_arg)             \
    F(BIO_new_socket)                   \
    F(BIO_set_callback_arg)             \
    F(BIO_set_callback_ex)              \
    F(ERR_clear_error)                  \
    F(ERR_peek_last_error)              \
    F(ERR_reason_error_string)          \
    F(EVP_Digest)                       \
    F(EVP_sha256)                       \
    F(SSL_CIPHER_get_name)              \
    F(SSL_CTX_ctrl)                     \
    F(SSL_CTX_free)                     \
    F(SSL_CTX_new)                      \
    F(SSL_CTX_set_default_verify_paths) \
    F(SSL_CTX_set_options)              \
    F(SSL_CTX_set_verify)               \
    F(SSL_connect)                      \
    F(SSL_ctrl)                         \
    F(SSL_free)                         \
    F(SSL_get0_param)                   \
    F(SSL_get_current_cipher)           \
    F(SSL_get_error)                    \
    F(SSL_get_verify_result)            \
    F(SSL_get_version)                  \
    F(SSL_new)                          \
    F(SSL_peek)                         \
    F(SSL_pending)                      \
    F(SSL_read)                         \
    F(SSL_set1_host)                    \
    F(SSL_set_bio)                      \
    F(SSL_set_hostflags)                \
    F(SSL_shutdown)                     \
    F(SSL_write)                        \
    F(TLS_client_method)                \
    F(X509_VERIFY_PARAM_set1_ip_asc)    \
    F(X509_verify_cert_error_string)

// Each member is the function of the same name.
struct OpenSsl {
#define NIMBRELL_OPENSSL_MEMBER(name) decltype(&::name) name {};
    NIMBRELL_OPENSSL_FUNCTIONS(NIMBRELL_OPENSSL_MEMBER)
#undef NIMBRELL_OPENSSL_MEMBER

    // Opens the library on the first call, on any thread. Throws TlsError
    // ("TLS is not available: ...") when it or one of its functions is missing.
    static const OpenSsl& Get();
};

}
