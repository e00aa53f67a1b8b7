// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/JsonParser.h"

#include "base/Utf.h"
#include "json/JsonArena.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

namespace nimbrell {

// The parser's access to the parts of the model that callers never touch.
struct JsonArenaAccess {
    template<typename T, typename... Args>
    static T* pooled(JsonArena& arena, Args&&... args)
    {
        T* node = new (arena.Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
        node->fPooled = true;
        return node;
    }

    static TxJSONbase* string(JsonArena& arena, const char16_t* text, std::uint32_t size)
    {
        return pooled<TxJSONstring>(arena, TxJSONstring::Adopt {}, text, size);
    }

    static TxJSONbase* member(JsonArena& arena, const char16_t* name, std::uint32_t size, TxJSONbase* value)
    {
        return pooled<TxJSONobjectmethod>(arena, TxJSONobjectmethod::Adopt {}, name, size, std::unique_ptr<TxJSONbase>(value));
    }

    static void fill(TxJSONcustomlist& container, TxJSONbase* const* children, std::size_t count)
    {
        container.fList.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            container.fList.emplace_back(children[i]);
    }

    static void useHash(TxJSONobject& object)
    {
        object.FUseHash = true;
    }

    static void adoptArena(TxJSONcustomlist& root, std::unique_ptr<JsonArena> arena)
    {
        root.fArena = std::move(arena);
    }
};

namespace {

template<typename Unit>
bool isDigit(Unit c)
{
    return c >= '0' && c <= '9';
}

template<typename Unit>
int hexValue(Unit c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Whether a literal whose conversion is out of range is too large (rather than too small)
// for a double, from the position of its first significant digit and its exponent.
bool overflows(std::string_view literal)
{
    std::size_t i = 0;
    if (i < literal.size() && (literal[i] == '-' || literal[i] == '+'))
        ++i;
    std::int64_t magnitude = 0;
    bool significant = false;
    for (; i < literal.size() && isDigit(literal[i]); ++i) {
        significant = significant || literal[i] != '0';
        if (significant)
            ++magnitude;
    }
    if (i < literal.size() && literal[i] == '.') {
        for (++i; i < literal.size() && isDigit(literal[i]); ++i) {
            if (significant)
                continue;
            if (literal[i] != '0')
                significant = true;
            else
                --magnitude;
        }
    }
    if (!significant)
        return false;
    std::int64_t exponent = 0;
    bool negative = false;
    if (i < literal.size() && (literal[i] == 'e' || literal[i] == 'E')) {
        ++i;
        if (i < literal.size() && (literal[i] == '-' || literal[i] == '+'))
            negative = literal[i++] == '-';
        for (; i < literal.size() && isDigit(literal[i]); ++i)
            exponent = std::min<std::int64_t>(exponent * 10 + (literal[i] - '0'), 1'000'000'000);
    }
    return magnitude + (negative ? -exponent : exponent) > 0;
}

template<typename Unit>
class Parser {
public:
    Parser(const Unit* begin, const Unit* end)
        : m_position(begin)
        , m_end(end)
        , m_arena(std::make_unique<JsonArena>(static_cast<std::size_t>(end - begin) * sizeof(Unit) * 4))
    {
        // Enough for a forecast's members without growing.
        m_stack.reserve(128);
    }

    std::unique_ptr<TxJSONbase> parseDocument()
    {
        skipWhitespace();
        // Text after the first value is not examined.
        return std::unique_ptr<TxJSONbase>(parseValue(0));
    }

private:
    // Nested nodes live in the arena; the root is an ordinary heap node so that the
    // caller's unique_ptr owns it, and a root list or object owns the arena.
    template<typename T, typename... Args>
    T* create(int depth, Args&&... args)
    {
        if (depth == 0)
            return new T(std::forward<Args>(args)...);
        return JsonArenaAccess::pooled<T>(*m_arena, std::forward<Args>(args)...);
    }

    void skipWhitespace()
    {
        while (m_position < m_end && *m_position < 0x21)
            ++m_position;
    }

    bool startsWith(std::string_view word) const
    {
        if (static_cast<std::size_t>(m_end - m_position) < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (m_position[i] != static_cast<unsigned char>(word[i]))
                return false;
        }
        return true;
    }

    // Expects whitespace to be skipped already. A failure fails the whole parse: every
    // place that may meet a missing value first checks for its closing bracket, so no
    // alternative reading remains.
    TxJSONbase* parseValue(int depth)
    {
        if (m_position == m_end)
            return nullptr;
        switch (*m_position) {
        case 't':
            if (!startsWith("true"))
                return nullptr;
            m_position += 4;
            return create<TxJSONboolean>(depth, true);
        case 'f':
            if (!startsWith("false"))
                return nullptr;
            m_position += 5;
            return create<TxJSONboolean>(depth, false);
        case 'n':
            if (!startsWith("null"))
                return nullptr;
            m_position += 4;
            return create<TxJSONnull>(depth);
        case '"': {
            const char16_t* text;
            std::uint32_t size;
            if (!parseString(text, size))
                return nullptr;
            if (depth == 0)
                return new TxJSONstring(std::u16string_view(text, size));
            return JsonArenaAccess::string(*m_arena, text, size);
        }
        case '[':
            return parseList(depth);
        case '{':
            return parseObject(depth);
        default:
            return parseNumber(depth);
        }
    }

    TxJSONbase* parseNumber(int depth)
    {
        const Unit* start = m_position;
        const Unit* cursor = start;
        bool negative = false;
        if (cursor < m_end && (*cursor == '+' || *cursor == '-'))
            negative = *cursor++ == '-';
        // The digits before and after the point as one integer (it wraps past 20 digits,
        // where it is no longer used), and the power of ten that scales it.
        std::uint64_t digitValue = 0;
        const Unit* digits = cursor;
        cursor = readDigits(cursor, digitValue);
        if (cursor == digits)
            return nullptr;
        std::ptrdiff_t digitCount = cursor - digits;
        std::int64_t power = 0;
        if (cursor < m_end && *cursor == '.') {
            const Unit* fraction = ++cursor;
            cursor = readDigits(cursor, digitValue);
            if (cursor == fraction)
                return nullptr;
            digitCount += cursor - fraction;
            power = fraction - cursor;
        }
        if (cursor < m_end && (*cursor == 'e' || *cursor == 'E')) {
            ++cursor;
            bool negativeExponent = false;
            if (cursor < m_end && (*cursor == '+' || *cursor == '-'))
                negativeExponent = *cursor++ == '-';
            const Unit* exponentDigits = cursor;
            std::int64_t exponent = 0;
            for (; cursor < m_end && isDigit(*cursor); ++cursor)
                exponent = std::min<std::int64_t>(exponent * 10 + (*cursor - '0'), 1'000'000'000);
            if (cursor == exponentDigits)
                return nullptr;
            power += negativeExponent ? -exponent : exponent;
        }

        double value;
        if (digitCount <= 15 && power >= -kExactPowers && power <= kExactPowers) {
            // Integers below 10^15 and powers of ten up to 10^22 are exact doubles, and one
            // multiplication or division of exact doubles is correctly rounded.
            value = static_cast<double>(digitValue);
            if (power > 0)
                value *= kPowersOfTen[power];
            else if (power < 0)
                value /= kPowersOfTen[-power];
            if (negative)
                value = -value;
        } else if (!convert(*start == '+' ? start + 1 : start, cursor, value)) {
            return nullptr;
        }
        m_position = cursor;
        return create<TxJSONnumber>(depth, value);
    }

    const Unit* readDigits(const Unit* cursor, std::uint64_t& value) const
    {
        for (; cursor < m_end && isDigit(*cursor); ++cursor)
            value = value * 10 + static_cast<unsigned>(*cursor - '0');
        return cursor;
    }

    static constexpr int kExactPowers = 22;
    static constexpr double kPowersOfTen[kExactPowers + 1] = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22 };

    bool convert(const Unit* begin, const Unit* end, double& value)
    {
        std::string_view literal;
        if constexpr (sizeof(Unit) == 1) {
            literal = std::string_view(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin));
        } else {
            m_literal.assign(begin, end);
            literal = m_literal;
        }
        auto [stop, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
        if (error == std::errc::result_out_of_range) {
            if (overflows(literal))
                return false;
            value = literal.front() == '-' ? -0.0 : 0.0;
            return true;
        }
        return error == std::errc() && stop == literal.data() + literal.size() && std::isfinite(value);
    }

    struct Contents {
        const Unit* begin;
        const Unit* end;
        bool plain; // no escapes, and for UTF-8 no bytes above 0x7F
    };

    // The scan of the string rule; `m_position` is at the opening quote.
    bool scanString(Contents& contents) const
    {
        const Unit* cursor = m_position + 1;
        bool escaped = false;
        unsigned seen = 0;
        for (;;) {
            if constexpr (sizeof(Unit) == 1)
                cursor = skipPlainBytes(cursor, seen);
            while (cursor < m_end && *cursor != '"' && *cursor != '\\') {
                seen |= *cursor;
                ++cursor;
            }
            if (cursor >= m_end)
                return false;
            if (*cursor == '"')
                break;
            // A backslash passes over the character after it, whatever it is; the closing
            // quote must still follow.
            if (m_end - cursor <= 2)
                return false;
            escaped = true;
            cursor += 2;
        }
        if (static_cast<std::size_t>(cursor - m_position) > std::numeric_limits<std::uint32_t>::max())
            return false;
        contents = { m_position + 1, cursor, !escaped && (sizeof(Unit) == 2 || seen < 0x80) };
        return true;
    }

    // Decodes scanned contents into the arena.
    bool storeString(const Contents& contents, const char16_t*& text, std::uint32_t& size)
    {
        // Decoding never yields more code units than the contents have units.
        auto units = static_cast<std::size_t>(contents.end - contents.begin);
        auto* out = static_cast<char16_t*>(m_arena->Allocate(units * sizeof(char16_t), alignof(char16_t)));
        if (contents.plain) {
            if constexpr (sizeof(Unit) == 2)
                std::memcpy(out, contents.begin, units * sizeof(char16_t));
            else
                std::copy(contents.begin, contents.end, out);
            size = static_cast<std::uint32_t>(units);
        } else {
            char16_t* written = decode(contents.begin, contents.end, out);
            if (!written)
                return false;
            size = static_cast<std::uint32_t>(written - out);
            m_arena->Shrink(out, units * sizeof(char16_t), size * sizeof(char16_t));
        }
        text = out;
        return true;
    }

    // The string rule. Fails without moving.
    bool parseString(const char16_t*& text, std::uint32_t& size)
    {
        Contents contents;
        if (!scanString(contents) || !storeString(contents, text, size))
            return false;
        m_position = contents.end + 1;
        return true;
    }

    // The string rule for member names. Inside lists, where records repeat the same names,
    // members of one name share its text (names are fixed for a member's life).
    bool parseName(const char16_t*& text, std::uint32_t& size)
    {
        if (m_listDepth == 0)
            return parseString(text, size);
        Contents contents;
        if (!scanString(contents))
            return false;
        auto length = static_cast<std::size_t>(contents.end - contents.begin);
        if (length > kMaxSharedName) {
            if (!storeString(contents, text, size))
                return false;
            m_position = contents.end + 1;
            return true;
        }

        if (m_names.empty())
            m_names.resize(256);
        // Records repeat their names in the same order: the name that followed the previous
        // one last time is tried before any hashing.
        if (m_previousName != kNoName) {
            std::uint32_t predicted = m_names[m_previousName].next;
            if (predicted != kNoName && isName(predicted, contents.begin, length))
                return useSharedName(predicted, contents, text, size);
        }
        std::size_t mask = m_names.size() - 1;
        std::size_t slot = hashName(contents.begin, length) & mask;
        std::size_t probes = 0;
        for (; m_names[slot].text && probes < kMaxNameProbes; slot = (slot + 1) & mask, ++probes) {
            if (isName(slot, contents.begin, length))
                return useSharedName(static_cast<std::uint32_t>(slot), contents, text, size);
        }
        if (!storeString(contents, text, size))
            return false;
        m_position = contents.end + 1;
        // A name whose run of probes is full is simply not shared.
        if (!m_names[slot].text && m_sharedNames * 2 < m_names.size()) {
            m_names[slot] = { contents.begin, static_cast<std::uint32_t>(length), size, text };
            ++m_sharedNames;
            followName(static_cast<std::uint32_t>(slot));
            if (m_sharedNames * 2 == m_names.size() && m_names.size() < kMaxSharedNames)
                growNames();
        } else {
            m_previousName = kNoName;
        }
        return true;
    }

    bool isName(std::size_t slot, const Unit* units, std::size_t length) const
    {
        return m_names[slot].length == length && sameUnits(units, m_names[slot].source, length);
    }

    bool useSharedName(std::uint32_t slot, const Contents& contents, const char16_t*& text, std::uint32_t& size)
    {
        text = m_names[slot].text;
        size = m_names[slot].size;
        m_position = contents.end + 1;
        followName(slot);
        return true;
    }

    void followName(std::uint32_t slot)
    {
        if (m_previousName != kNoName)
            m_names[m_previousName].next = slot;
        m_previousName = slot;
    }

    // Names are short: one word, or a plain loop, beats a call to memcmp.
    bool sameUnits(const Unit* a, const Unit* b, std::size_t length) const
    {
        constexpr std::ptrdiff_t wordUnits = 8 / sizeof(Unit);
        if constexpr (std::endian::native == std::endian::little) {
            if (length <= static_cast<std::size_t>(wordUnits) && m_end - a >= wordUnits && m_end - b >= wordUnits) {
                std::uint64_t first;
                std::uint64_t second;
                std::memcpy(&first, a, sizeof first);
                std::memcpy(&second, b, sizeof second);
                std::size_t bits = length * sizeof(Unit) * 8;
                std::uint64_t mask = bits == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bits) - 1;
                return ((first ^ second) & mask) == 0;
            }
        }
        for (std::size_t i = 0; i < length; ++i) {
            if (a[i] != b[i])
                return false;
        }
        return true;
    }

    void growNames()
    {
        std::vector<SharedName> old(m_names.size() * 2);
        old.swap(m_names);
        m_previousName = kNoName;
        std::size_t mask = m_names.size() - 1;
        for (const SharedName& name : old) {
            if (!name.text)
                continue;
            std::size_t slot = hashName(name.source, name.length) & mask;
            std::size_t probes = 0;
            for (; m_names[slot].text && probes < kMaxNameProbes; slot = (slot + 1) & mask)
                ++probes;
            if (!m_names[slot].text)
                m_names[slot] = { name.source, name.length, name.size, name.text };
            else
                --m_sharedNames;
        }
    }

    // Eight bytes at a time from a per-process seed, each word multiplied in and its high
    // half folded down, then a final mix: the low bits, which pick the slot, depend on
    // every bit of the name.
    static std::uint64_t hashName(const Unit* units, std::size_t length)
    {
        constexpr std::uint64_t multiplier = 0x9E3779B97F4A7C15;
        auto* bytes = reinterpret_cast<const unsigned char*>(units);
        std::size_t remaining = length * sizeof(Unit);
        std::uint64_t hash = nameHashSeed() ^ length;
        for (; remaining >= 8; bytes += 8, remaining -= 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes, sizeof word);
            hash = (hash ^ word) * multiplier;
            hash ^= hash >> 32;
        }
        if (remaining) {
            std::uint64_t word = 0;
            for (std::size_t i = 0; i < remaining; ++i)
                word |= std::uint64_t(bytes[i]) << (8 * i);
            hash = (hash ^ word) * multiplier;
            hash ^= hash >> 32;
        }
        hash ^= hash >> 33;
        hash *= 0xFF51AFD7ED558CCD;
        hash ^= hash >> 33;
        return hash;
    }

    static std::uint64_t nameHashSeed()
    {
        static const std::uint64_t seed = [] {
            std::random_device device;
            return (std::uint64_t(device()) << 32) ^ device();
        }();
        return seed;
    }

    // Passes over bytes holding neither a quote nor a backslash eight at a time, up to the
    // first quote or backslash where one is found, gathering their high bits into `seen`.
    const Unit* skipPlainBytes(const Unit* cursor, unsigned& seen) const
    {
        constexpr std::uint64_t ones = 0x0101010101010101;
        constexpr std::uint64_t highs = 0x8080808080808080;
        std::uint64_t high = 0;
        while (m_end - cursor >= 8) {
            std::uint64_t word;
            std::memcpy(&word, cursor, sizeof word);
            std::uint64_t quote = word ^ (ones * '"');
            std::uint64_t backslash = word ^ (ones * '\\');
            // The lowest byte flagged is exact; bytes above it may be flagged falsely.
            std::uint64_t stop = (((quote - ones) & ~quote) | ((backslash - ones) & ~backslash)) & highs;
            if (stop) {
                if constexpr (std::endian::native == std::endian::little) {
                    int before = std::countr_zero(stop) / 8;
                    high |= word & ((std::uint64_t(1) << (8 * before)) - 1);
                    cursor += before;
                }
                break;
            }
            high |= word;
            cursor += 8;
        }
        if (high & highs)
            seen |= 0x80;
        return cursor;
    }

    // The length of the character that starts at `cursor`.
    static std::size_t characterLength(const Unit* cursor, const Unit* end)
    {
        if constexpr (sizeof(Unit) == 1) {
            return DecodeUtf8Char(cursor, static_cast<std::size_t>(end - cursor)).length;
        } else {
            bool pair = *cursor >= 0xD800 && *cursor <= 0xDBFF && cursor + 1 < end && cursor[1] >= 0xDC00 && cursor[1] <= 0xDFFF;
            return pair ? 2 : 1;
        }
    }

    // Decodes and unescapes the contents of a string into `out`; returns the end of what
    // was written, or nullptr for an invalid \u escape.
    static char16_t* decode(const Unit* cursor, const Unit* end, char16_t* out)
    {
        while (cursor < end) {
            if (*cursor != '\\') {
                if (sizeof(Unit) == 2 || *cursor < 0x80) {
                    *out++ = *cursor++;
                    continue;
                }
                if constexpr (sizeof(Unit) == 1) {
                    // Most text here is Chinese: three-byte forms whose lead byte needs no
                    // check of the second byte's range beyond that of every continuation.
                    unsigned lead = *cursor;
                    if (lead >= 0xE1 && lead != 0xED && lead <= 0xEF && end - cursor >= 3
                        && (cursor[1] & 0xC0) == 0x80 && (cursor[2] & 0xC0) == 0x80) {
                        *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((cursor[1] & 0x3F) << 6) | (cursor[2] & 0x3F));
                        cursor += 3;
                        continue;
                    }
                    Utf8Char decoded = DecodeUtf8Char(cursor, static_cast<std::size_t>(end - cursor));
                    cursor += decoded.length;
                    char32_t c = decoded.codePoint;
                    if (c < 0x10000) {
                        *out++ = static_cast<char16_t>(c);
                    } else {
                        c -= 0x10000;
                        *out++ = static_cast<char16_t>(0xD800 + (c >> 10));
                        *out++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
                    }
                }
                continue;
            }
            // The scan guarantees a character after every backslash of the contents.
            const Unit* escape = cursor + 1;
            cursor = escape + 1;
            switch (*escape) {
            case '"': *out++ = u'"'; break;
            case '\'': *out++ = u'\''; break;
            case '/': *out++ = u'/'; break;
            case '\\': *out++ = u'\\'; break;
            case 'b': *out++ = u'\b'; break;
            case 'f': *out++ = u'\f'; break;
            case 'n': *out++ = u'\n'; break;
            case 'r': *out++ = u'\r'; break;
            case 't': *out++ = u'\t'; break;
            case 'u': {
                // Up to four hexadecimal digits, fewer where the contents end. Surrogate
                // halves are stored as they come, so a pair written as two escapes is kept.
                const Unit* digitsEnd = cursor + std::min<std::ptrdiff_t>(4, end - cursor);
                if (cursor == digitsEnd)
                    return nullptr;
                unsigned unit = 0;
                for (; cursor < digitsEnd; ++cursor) {
                    int digit = hexValue(*cursor);
                    if (digit < 0)
                        return nullptr;
                    unit = unit * 16 + static_cast<unsigned>(digit);
                }
                *out++ = static_cast<char16_t>(unit);
                break;
            }
            default:
                // An unknown escape drops the backslash and the whole character after it.
                cursor = escape + characterLength(escape, end);
                break;
            }
        }
        return out;
    }

    TxJSONbase* parseList(int depth)
    {
        if (depth >= TxJSON::kMaxDepth)
            return nullptr;
        ++m_position;
        std::size_t base = m_stack.size();
        for (;;) {
            skipWhitespace();
            if (m_position == m_end)
                return nullptr;
            if (*m_position == ']')
                break;
            ++m_listDepth;
            TxJSONbase* element = parseValue(depth + 1);
            --m_listDepth;
            if (!element)
                return nullptr;
            m_stack.push_back(element);
            skipWhitespace();
            if (m_position < m_end && *m_position == ',')
                ++m_position;
        }
        ++m_position;
        return close<TxJSONlist>(depth, base);
    }

    TxJSONbase* parseObject(int depth)
    {
        if (depth >= TxJSON::kMaxDepth)
            return nullptr;
        ++m_position;
        std::size_t base = m_stack.size();
        for (;;) {
            skipWhitespace();
            if (m_position == m_end)
                return nullptr;
            if (*m_position == '}')
                break;
            TxJSONbase* member = parseMember(depth + 1);
            if (!member)
                return nullptr;
            m_stack.push_back(member);
            skipWhitespace();
            if (m_position < m_end && *m_position == ',')
                ++m_position;
        }
        ++m_position;
        return close<TxJSONobject>(depth, base);
    }

    TxJSONbase* parseMember(int depth)
    {
        if (*m_position != '"')
            return nullptr;
        const char16_t* name;
        std::uint32_t size;
        if (!parseName(name, size))
            return nullptr;
        skipWhitespace();
        if (m_position == m_end || *m_position != ':')
            return nullptr;
        ++m_position;
        skipWhitespace();
        TxJSONbase* value = parseValue(depth);
        if (!value)
            return nullptr;
        return JsonArenaAccess::member(*m_arena, name, size, value);
    }

    // Builds the list or object from the children gathered on the stack above `base`.
    template<typename Container>
    TxJSONbase* close(int depth, std::size_t base)
    {
        std::size_t count = m_stack.size() - base;
        if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            return nullptr;
        std::unique_ptr<Container> owner;
        Container* container;
        if (depth == 0) {
            owner = std::make_unique<Container>(m_arena.get());
            container = owner.get();
        } else {
            container = JsonArenaAccess::pooled<Container>(*m_arena, m_arena.get());
        }
        JsonArenaAccess::fill(*container, m_stack.data() + base, count);
        if constexpr (std::is_same_v<Container, TxJSONobject>)
            JsonArenaAccess::useHash(*container);
        m_stack.resize(base);
        if (depth == 0) {
            JsonArenaAccess::adoptArena(*container, std::move(m_arena));
            return owner.release();
        }
        return container;
    }

    const Unit* m_position;
    const Unit* m_end;
    std::unique_ptr<JsonArena> m_arena;
    // Children of the lists and objects being read, innermost last. Until their container
    // closes they belong to the arena alone: nothing they hold lives outside it, so a
    // failed parse simply drops the arena.
    std::vector<TxJSONbase*> m_stack;
    std::string m_literal;

    struct SharedName {
        const Unit* source { nullptr };
        std::uint32_t length { 0 };
        std::uint32_t size { 0 };
        const char16_t* text { nullptr };
        // The slot of the name that last followed this one.
        std::uint32_t next { kNoName };
    };
    static constexpr std::uint32_t kNoName = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::size_t kMaxSharedName = 64;
    static constexpr std::size_t kMaxSharedNames = 1u << 16;
    // Bounds the work per name whatever the names are; a well-spread half-full
    // table almost never needs more.
    static constexpr std::size_t kMaxNameProbes = 32;
    // Open addressing over the names' source text, at most half full.
    std::vector<SharedName> m_names;
    std::size_t m_sharedNames { 0 };
    std::uint32_t m_previousName { kNoName };
    int m_listDepth { 0 };
};

template<typename Unit>
std::unique_ptr<TxJSONbase> parse(const Unit* begin, const Unit* end)
{
    if (begin == end)
        return nullptr;
    try {
        return Parser<Unit>(begin, end).parseDocument();
    } catch (const std::exception&) {
        // Out of memory: the arena goes with the parser, and no value is the answer.
        return nullptr;
    }
}

}

std::unique_ptr<TxJSONbase> TxJSON::ParseText(std::u16string_view text)
{
    if (text.starts_with(u'\uFEFF'))
        text.remove_prefix(1);
    else if (text.starts_with(u"\u00EF\u00BB\u00BF"))
        text.remove_prefix(3);
    return parse(text.data(), text.data() + text.size());
}

std::unique_ptr<TxJSONbase> TxJSON::ParseText(std::string_view utf8)
{
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.remove_prefix(3);
    auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    return parse(bytes, bytes + utf8.size());
}

}
