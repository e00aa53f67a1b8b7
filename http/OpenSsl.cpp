// SPDX-License-Identifier: GPL-3.0-or-later
#include "http/OpenSsl.h"

#include "base/SharedLibrary.h"
#include "http/HttpError.h"

#include <optional>
#include <string>

namespace nimbrell {

namespace {

// Empty when every function was found, else what is missing.
std::string open(OpenSsl& functions)
{
    // libssl's soname carries the major version the headers describe; it pulls
    // in libcrypto, whose functions the same handle finds.
    std::string soname = "libssl.so." + std::to_string(OPENSSL_VERSION_MAJOR);
    std::optional<SharedLibrary> library = SharedLibrary::Open(soname);
    if (!library)
        return soname + " cannot be opened";
#define NIMBRELL_OPENSSL_FIND(name)              \
    if (!library->Find(#name, functions.name)) { \
        library->Close();                        \
        return soname + " has no " #name;        \
    }
    NIMBRELL_OPENSSL_FUNCTIONS(NIMBRELL_OPENSSL_FIND)
#undef NIMBRELL_OPENSSL_FIND
    // Kept open for the process: OpenSSL keeps state of its own until exit.
    return {};
}

}

const OpenSsl& OpenSsl::Get()
{
    static OpenSsl functions;
    static const std::string missing = open(functions);
    if (!missing.empty())
        throw TlsError("TLS is not available: " + missing + ".");
    return functions;
}

}
