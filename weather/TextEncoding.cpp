#include "weather/TextEncoding.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace nimbrell {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr const char* kSystemCodePage = "GBK";

// Length of the well-formed UTF-8 sequence at the start of `bytes`, or 0 when
// it is ill-formed; `maximalPart` gets the length of the longest valid prefix
// (at least 1), which is replaced as one unit.
std::size_t sequenceLength(std::string_view bytes, std::size_t& maximalPart)
{
    auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    maximalPart = 1;
    unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= bytes.size())
            return 0;
        unsigned char next = at(i);
        if (next < low || next > high)
            return 0;
        low = 0x80;
        high = 0xBF;
        maximalPart = i + 1;
    }
    return length;
}

enum class Unit { Byte, Utf8Sequence };

class Converter {
public:
    Converter(const char* to, const char* from)
        : m_handle(iconv_open(to, from))
    {
        if (m_handle == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("No conversion from ") + from + " to " + to + ".");
    }
    ~Converter() { iconv_close(m_handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `input`, writing `replacement` in place of each unit of input
    // that cannot be converted.
    std::string Convert(std::string_view input, std::string_view replacement, Unit unit)
    {
        std::string out;
        out.reserve(input.size() * 3 / 2 + 16);
        char buffer[4096];
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* outPointer = buffer;
            std::size_t outLeft = sizeof buffer;
            std::size_t result = iconv(m_handle, &in, &inLeft, &outPointer, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: an unconvertible or cut-off unit.
            out += replacement;
            std::size_t skip = 1;
            if (unit == Unit::Utf8Sequence) {
                std::size_t maximalPart;
                std::size_t length = sequenceLength({ in, inLeft }, maximalPart);
                skip = length ? length : maximalPart;
            }
            skip = std::min(skip, inLeft);
            in += skip;
            inLeft -= skip;
            iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t m_handle;
};

}

std::string DecodeUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        std::size_t maximalPart;
        std::size_t length = sequenceLength(bytes, maximalPart);
        if (length == 0) {
            out += kReplacement;
            bytes.remove_prefix(maximalPart);
            continue;
        }
        out.append(bytes.substr(0, length));
        bytes.remove_prefix(length);
    }
    return out;
}

std::string DecodeSystemCodePage(std::string_view bytes)
{
    Converter converter("UTF-8", kSystemCodePage);
    return converter.Convert(bytes, kReplacement, Unit::Byte);
}

std::string EncodeSystemCodePage(std::string_view text)
{
    Converter converter(kSystemCodePage, "UTF-8");
    return converter.Convert(text, "?", Unit::Utf8Sequence);
}

}
