// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TestCertificates.h"

#include <cstdio>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace nimbrell::test {

namespace {

EVP_PKEY* newKey()
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (!key)
        throw std::runtime_error("cannot make a test key");
    return key;
}

void addExtension(X509* certificate, X509* issuer, int id, const std::string& value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, id, value.c_str());
    if (!extension)
        throw std::runtime_error("cannot make a certificate extension " + value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

X509* newCertificate(const std::string& commonName, EVP_PKEY* key, long serial, bool expired)
{
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    constexpr long day = 24 * 60 * 60;
    X509_gmtime_adj(X509_getm_notBefore(certificate), expired ? -2 * day : -60);
    X509_gmtime_adj(X509_getm_notAfter(certificate), expired ? -day : 30 * day);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
    return certificate;
}

void writePem(const std::string& path, X509* certificate, EVP_PKEY* key)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        throw std::runtime_error("cannot write " + path);
    bool written = certificate ? PEM_write_X509(file, certificate) == 1
                               : PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    std::fclose(file);
    if (!written)
        throw std::runtime_error("cannot write " + path);
}

}

struct TestCertificateAuthority::Keys {
    EVP_PKEY* key { nullptr };
    X509* certificate { nullptr };
    ~Keys()
    {
        X509_free(certificate);
        EVP_PKEY_free(key);
    }
};

TestCertificateAuthority::TestCertificateAuthority(std::string directory)
    : m_directory(std::move(directory))
    , m_keys(std::make_unique<Keys>())
{
    if (!m_directory.empty() && m_directory.back() != '/')
        m_directory += '/';
    m_keys->key = newKey();
    m_keys->certificate = newCertificate("Nimbrell Test Authority", m_keys->key, m_serial++, false);
    X509_set_issuer_name(m_keys->certificate, X509_get_subject_name(m_keys->certificate));
    addExtension(m_keys->certificate, m_keys->certificate, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(m_keys->certificate, m_keys->certificate, NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(m_keys->certificate, m_keys->certificate, NID_subject_key_identifier, "hash");
    if (X509_sign(m_keys->certificate, m_keys->key, EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign the test authority");
    m_certificateFile = m_directory + "authority.pem";
    writePem(m_certificateFile, m_keys->certificate, nullptr);
}

TestCertificateAuthority::~TestCertificateAuthority() = default;

ServerCertificate TestCertificateAuthority::Issue(const std::string& name, const CertificateRequest& request)
{
    EVP_PKEY* key = newKey();
    std::string commonName = !request.dnsNames.empty() ? request.dnsNames.front() : "nimbrell test server";
    X509* certificate = newCertificate(commonName, key, m_serial++, request.expired);
    X509_set_issuer_name(certificate, X509_get_subject_name(m_keys->certificate));
    std::string alternatives;
    for (const auto& dns : request.dnsNames)
        alternatives += (alternatives.empty() ? "DNS:" : ",DNS:") + dns;
    for (const auto& ip : request.ipAddresses)
        alternatives += (alternatives.empty() ? "IP:" : ",IP:") + ip;
    try {
        if (!alternatives.empty() && !request.commonNameOnly)
            addExtension(certificate, m_keys->certificate, NID_subject_alt_name, alternatives);
        addExtension(certificate, m_keys->certificate, NID_ext_key_usage, "serverAuth");
        addExtension(certificate, m_keys->certificate, NID_authority_key_identifier, "keyid");
        if (X509_sign(certificate, m_keys->key, EVP_sha256()) == 0)
            throw std::runtime_error("cannot sign a test certificate");
        ServerCertificate files { m_directory + name + ".pem", m_directory + name + ".key" };
        writePem(files.certificateFile, certificate, nullptr);
        writePem(files.keyFile, nullptr, key);
        X509_free(certificate);
        EVP_PKEY_free(key);
        return files;
    } catch (...) {
        X509_free(certificate);
        EVP_PKEY_free(key);
        throw;
    }
}

}
