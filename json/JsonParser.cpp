#include "json/JsonParser.h"

#include "json/Utf16.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace nimbrell {

// The parser's access to the parts of the model that callers never touch.
struct JsonArenaAccess {
    using StringAdopt = TxJSONstring::Adopt;
    using MemberAdopt = TxJSONobjectmethod::Adopt;

    template<typename T, typename... Args>
    static T* pooled(std::pmr::memory_resource& arena, Args&&... args)
    {
        T* node = new (arena.allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
        node->fPooled = true;
        return node;
    }

    template<typename T, typename... Args>
    static T* heap(Args&&... args)
    {
        return new T(std::forward<Args>(args)...);
    }

    static void fill(TxJSONcustomlist& container, TxJSONbase* const* children, std::size_t count)
    {
        container.fList.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            container.fList.emplace_back(children[i]);
    }

    static void fillObject(TxJSONobject& object, TxJSONbase* const* members, std::size_t count)
    {
        fill(object, members, count);
        object.FUseHash = true;
        for (std::size_t i = 0; i < count; ++i)
            object.ht.Insert(static_cast<TxJSONobjectmethod*>(members[i])->Name(), static_cast<std::int32_t>(i));
    }

    static void adoptArena(TxJSONcustomlist& root, std::unique_ptr<std::pmr::monotonic_buffer_resource> arena)
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

bool isHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
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
        , m_arena(std::make_unique<std::pmr::monotonic_buffer_resource>(initialArenaSize(end - begin)))
    {
    }

    std::unique_ptr<TxJSONbase> parseDocument()
    {
        skipWhitespace();
        TxJSONbase* root = parseValue(0);
        // Text after the first value is not examined.
        return std::unique_ptr<TxJSONbase>(root);
    }

private:
    static std::size_t initialArenaSize(std::ptrdiff_t units)
    {
        constexpr std::size_t smallest = 1024;
        constexpr std::size_t largest = std::size_t(64) << 20;
        return std::clamp(static_cast<std::size_t>(units) * 3, smallest, largest);
    }

    // Nested nodes live in the arena; the root is an ordinary heap node so that the
    // caller's unique_ptr owns it, and a root list or object owns the arena.
    template<typename T, typename... Args>
    T* create(int depth, Args&&... args)
    {
        if (depth == 0)
            return JsonArenaAccess::heap<T>(std::forward<Args>(args)...);
        return JsonArenaAccess::pooled<T>(*m_arena, std::forward<Args>(args)...);
    }

    std::pmr::memory_resource* textMemory(int depth)
    {
        return depth == 0 ? std::pmr::new_delete_resource() : m_arena.get();
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

    // Expects whitespace to be skipped already. On failure the whole parse fails: every
    // place that may meet a missing value first checks for its closing bracket.
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
            std::pmr::u16string text(textMemory(depth));
            if (!parseString(text))
                return nullptr;
            return create<TxJSONstring>(depth, JsonArenaAccess::StringAdopt {}, std::move(text));
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
        if (cursor < m_end && (*cursor == '+' || *cursor == '-'))
            ++cursor;
        const Unit* digits = cursor;
        while (cursor < m_end && isDigit(*cursor))
            ++cursor;
        if (cursor == digits)
            return nullptr;
        bool integral = true;
        if (cursor < m_end && *cursor == '.') {
            const Unit* fraction = ++cursor;
            while (cursor < m_end && isDigit(*cursor))
                ++cursor;
            if (cursor == fraction)
                return nullptr;
            integral = false;
        }
        if (cursor < m_end && (*cursor == 'e' || *cursor == 'E')) {
            ++cursor;
            if (cursor < m_end && (*cursor == '+' || *cursor == '-'))
                ++cursor;
            const Unit* exponent = cursor;
            while (cursor < m_end && isDigit(*cursor))
                ++cursor;
            if (cursor == exponent)
                return nullptr;
            integral = false;
        }

        double value;
        if (integral && cursor - digits <= 15) {
            // Below 10^15 the digits are exact in a double.
            std::uint64_t whole = 0;
            for (const Unit* c = digits; c < cursor; ++c)
                whole = whole * 10 + static_cast<unsigned>(*c - '0');
            value = static_cast<double>(whole);
            if (*start == '-')
                value = -value;
        } else if (!convert(*start == '+' ? start + 1 : start, cursor, value)) {
            return nullptr;
        }
        m_position = cursor;
        return create<TxJSONnumber>(depth, value);
    }

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

    // The string rule; `m_position` is at the opening quote. Fails without moving.
    bool parseString(std::pmr::u16string& out)
    {
        const Unit* contents = m_position + 1;
        const Unit* cursor = contents;
        bool plain = true;
        for (;;) {
            while (cursor < m_end && *cursor != '"' && *cursor != '\\') {
                if constexpr (sizeof(Unit) == 1)
                    plain = plain && *cursor < 0x80;
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
            plain = false;
            cursor += 2;
        }
        if (plain)
            out.assign(contents, cursor);
        else if (!unescape(contents, cursor, out))
            return false;
        m_position = cursor + 1;
        return true;
    }

    // Appends the character that starts at `cursor` and returns where the next one starts.
    const Unit* copyCharacter(const Unit* cursor, const Unit* end)
    {
        if constexpr (sizeof(Unit) == 1) {
            if (*cursor < 0x80) {
                m_text.push_back(*cursor);
                return cursor + 1;
            }
            Utf8Char decoded = DecodeUtf8Char(cursor, static_cast<std::size_t>(end - cursor));
            AppendUtf16(m_text, decoded.codePoint);
            return cursor + decoded.length;
        } else {
            m_text.push_back(*cursor);
            return cursor + 1;
        }
    }

    // The length of the character that starts at `cursor`.
    std::size_t characterLength(const Unit* cursor, const Unit* end) const
    {
        if constexpr (sizeof(Unit) == 1) {
            return DecodeUtf8Char(cursor, static_cast<std::size_t>(end - cursor)).length;
        } else {
            bool pair = isHighSurrogate(*cursor) && cursor + 1 < end && isLowSurrogate(cursor[1]);
            return pair ? 2 : 1;
        }
    }

    bool unescape(const Unit* cursor, const Unit* end, std::pmr::u16string& out)
    {
        m_text.clear();
        while (cursor < end) {
            if (*cursor != '\\') {
                cursor = copyCharacter(cursor, end);
                continue;
            }
            // The scan guarantees a character after every backslash of the contents.
            const Unit* escaped = cursor + 1;
            cursor = escaped + 1;
            switch (*escaped) {
            case '"': m_text.push_back(u'"'); break;
            case '\'': m_text.push_back(u'\''); break;
            case '/': m_text.push_back(u'/'); break;
            case '\\': m_text.push_back(u'\\'); break;
            case 'b': m_text.push_back(u'\b'); break;
            case 'f': m_text.push_back(u'\f'); break;
            case 'n': m_text.push_back(u'\n'); break;
            case 'r': m_text.push_back(u'\r'); break;
            case 't': m_text.push_back(u'\t'); break;
            case 'u': {
                // Up to four hexadecimal digits, fewer where the contents end; surrogate
                // halves are stored as they come, so a pair written as two escapes is kept.
                const Unit* digitsEnd = cursor + std::min<std::ptrdiff_t>(4, end - cursor);
                if (cursor == digitsEnd)
                    return false;
                unsigned unit = 0;
                for (; cursor < digitsEnd; ++cursor) {
                    int digit = hexValue(*cursor);
                    if (digit < 0)
                        return false;
                    unit = unit * 16 + static_cast<unsigned>(digit);
                }
                m_text.push_back(static_cast<char16_t>(unit));
                break;
            }
            default:
                // An unknown escape drops the backslash and the whole character after it.
                cursor = escaped + characterLength(escaped, end);
                break;
            }
        }
        out.assign(m_text.begin(), m_text.end());
        return true;
    }

    TxJSONbase* parseList(int depth)
    {
        if (depth >= TxJSON::MaxDepth)
            return nullptr;
        ++m_position;
        std::size_t base = m_stack.size();
        for (;;) {
            skipWhitespace();
            if (m_position == m_end)
                return nullptr;
            if (*m_position == ']')
                break;
            TxJSONbase* element = parseValue(depth + 1);
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
        if (depth >= TxJSON::MaxDepth)
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
        std::pmr::u16string name(m_arena.get());
        if (!parseString(name))
            return nullptr;
        skipWhitespace();
        if (m_position == m_end || *m_position != ':')
            return nullptr;
        ++m_position;
        skipWhitespace();
        TxJSONbase* value = parseValue(depth);
        if (!value)
            return nullptr;
        return JsonArenaAccess::pooled<TxJSONobjectmethod>(*m_arena, JsonArenaAccess::MemberAdopt {}, std::move(name), std::unique_ptr<TxJSONbase>(value));
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
        if constexpr (std::is_same_v<Container, TxJSONobject>)
            JsonArenaAccess::fillObject(*container, m_stack.data() + base, count);
        else
            JsonArenaAccess::fill(*container, m_stack.data() + base, count);
        m_stack.resize(base);
        if (depth == 0) {
            JsonArenaAccess::adoptArena(*container, std::move(m_arena));
            return owner.release();
        }
        return container;
    }

    const Unit* m_position;
    const Unit* m_end;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> m_arena;
    // Children of the lists and objects being read, innermost last. Until their container
    // closes they belong to the arena alone, so a failed parse simply drops the arena.
    std::vector<TxJSONbase*> m_stack;
    std::u16string m_text;
    std::string m_literal;
};

template<typename Unit>
std::unique_ptr<TxJSONbase> parse(const Unit* begin, const Unit* end)
{
    if (begin == end)
        return nullptr;
    try {
        return Parser<Unit>(begin, end).parseDocument();
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::length_error&) {
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
