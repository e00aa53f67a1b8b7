// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Certificates made at test time for the loopback TLS server: a private
// certificate authority (its certificate in a PEM file a client can trust
// through SSL_CERT_FILE) and server certificates it signs.

#include <memory>
#include <string>
#include <vector>

namespace nimbrell::test {

struct ServerCertificate {
    std::string certificateFile; // PEM
    std::string keyFile;         // PEM
};

struct CertificateRequest {
    std::vector<std::string> dnsNames;
    std::vector<std::string> ipAddresses { "127.0.0.1" };
    bool expired { false }; // valid from two days ago until yesterday
    // The first DNS name as the subject's common name only, with no
    // alternative names at all.
    bool commonNameOnly { false };
};

class TestCertificateAuthority {
public:
    // Creates the authority's key and self-signed certificate in `directory`.
    explicit TestCertificateAuthority(std::string directory);
    ~TestCertificateAuthority();
    TestCertificateAuthority(const TestCertificateAuthority&) = delete;
    TestCertificateAuthority& operator=(const TestCertificateAuthority&) = delete;

    const std::string& CertificateFile() const { return m_certificateFile; }
    // Issues a certificate for the names and addresses of `request`; the files
    // are named after `name` in the authority's directory.
    ServerCertificate Issue(const std::string& name, const CertificateRequest& request = {});

private:
    struct Keys;
    std::string m_directory;
    std::string m_certificateFile;
    std::unique_ptr<Keys> m_keys;
    long m_serial { 1 };
};

}
