// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One download of a URL into memory by each client under comparison.

#include "http/ByteStream.h"

#include <string>

namespace nimbrell::bench {

// Both return the number of body bytes received into `target`.
std::size_t DownloadWithHttpClient(const std::string& url, MemoryStream& target);
std::size_t DownloadWithCurl(const std::string& url, MemoryStream& target);

}
