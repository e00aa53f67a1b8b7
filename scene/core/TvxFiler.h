// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a class sees of the stream reader or writer when it defines its custom
// stored properties (TvxPersistent::DefineProperties).

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace nimbrell {

class ObjectReader;
class ObjectWriter;

class TvxFiler {
public:
    virtual ~TvxFiler() = default;

    using ReadValue = std::function<void(ObjectReader&)>;
    using WriteValue = std::function<void(ObjectWriter&)>;
    using ReadBytes = std::function<void(std::span<const std::uint8_t>)>;
    using WriteBytes = std::function<void(std::vector<std::uint8_t>&)>;

    // A property stored as one typed value; read consumes exactly one value, write
    // writes exactly one. Written only when hasData.
    virtual void DefineProperty(std::string_view name, const ReadValue& read, const WriteValue& write, bool hasData) = 0;
    // A property stored as a vaBinary block.
    virtual void DefineBinaryProperty(std::string_view name, const ReadBytes& read, const WriteBytes& write, bool hasData) = 0;
};

}
