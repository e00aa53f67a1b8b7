// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A TrueType font made in memory for tests: every printable ASCII character but the
// space is the same solid block, 800 × 700 units of a 1000-unit em sitting on the
// baseline, so text in it is easy to tell from any installed font.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nimbrell::testing {

namespace blockfont {

class Bytes {
public:
    void U16(unsigned value) { m_bytes.push_back(std::uint8_t(value >> 8)), m_bytes.push_back(std::uint8_t(value)); }
    void I16(int value) { U16(static_cast<unsigned>(value) & 0xFFFF); }
    void U32(std::uint32_t value) { U16(value >> 16), U16(value & 0xFFFF); }
    void Append(const std::vector<std::uint8_t>& more) { m_bytes.insert(m_bytes.end(), more.begin(), more.end()); }
    void Pad()
    {
        while (m_bytes.size() % 4)
            m_bytes.push_back(0);
    }
    std::size_t Size() const { return m_bytes.size(); }
    std::vector<std::uint8_t>& Data() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

inline std::uint32_t Checksum(std::vector<std::uint8_t> table)
{
    while (table.size() % 4)
        table.push_back(0);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < table.size(); i += 4)
        sum += (std::uint32_t(table[i]) << 24) | (std::uint32_t(table[i + 1]) << 16) | (std::uint32_t(table[i + 2]) << 8) | table[i + 3];
    return sum;
}

}

inline std::vector<std::uint8_t> MakeBlockFont(std::string_view family)
{
    using blockfont::Bytes;
    constexpr int glyphs = 96; // .notdef, space, then 0x21 … 0x7E
    Bytes head, hhea, maxp, hmtx, glyf, loca, cmap, name, post;

    head.U32(0x00010000), head.U32(0x00010000), head.U32(0), head.U32(0x5F0F3CF5), head.U16(0x000B), head.U16(1000);
    for (int i = 0; i < 4; ++i)
        head.U32(0); // created, modified
    head.I16(0), head.I16(0), head.I16(1000), head.I16(800), head.U16(0), head.U16(8), head.I16(2), head.I16(0), head.I16(0);

    hhea.U32(0x00010000), hhea.I16(800), hhea.I16(-200), hhea.I16(0), hhea.U16(1000), hhea.I16(0), hhea.I16(0), hhea.I16(1000);
    hhea.I16(1), hhea.I16(0), hhea.I16(0);
    for (int i = 0; i < 5; ++i)
        hhea.I16(0);
    hhea.U16(glyphs);

    maxp.U32(0x00010000), maxp.U16(glyphs), maxp.U16(4), maxp.U16(1), maxp.U16(0), maxp.U16(0), maxp.U16(2);
    for (int i = 0; i < 8; ++i)
        maxp.U16(0);

    for (int g = 0; g < glyphs; ++g)
        hmtx.U16(1000), hmtx.I16(g >= 2 ? 100 : 0);

    // One contour, four on-curve points with 16-bit coordinate deltas.
    Bytes block;
    block.I16(1), block.I16(100), block.I16(0), block.I16(900), block.I16(700), block.U16(3), block.U16(0);
    for (int i = 0; i < 4; ++i)
        block.Data().push_back(0x01);
    for (int dx : { 100, 0, 800, 0 })
        block.I16(dx);
    for (int dy : { 0, 700, 0, -700 })
        block.I16(dy);
    for (int g = 0; g < glyphs; ++g) {
        loca.U16(unsigned(glyf.Size() / 2));
        if (g >= 2)
            glyf.Append(block.Data());
    }
    loca.U16(unsigned(glyf.Size() / 2));

    // Format 4: one segment 0x20 … 0x7E mapped by a delta, and the closing one.
    cmap.U16(0), cmap.U16(1), cmap.U16(3), cmap.U16(1), cmap.U32(12);
    cmap.U16(4), cmap.U16(32), cmap.U16(0), cmap.U16(4), cmap.U16(4), cmap.U16(1), cmap.U16(0);
    cmap.U16(0x7E), cmap.U16(0xFFFF), cmap.U16(0), cmap.U16(0x20), cmap.U16(0xFFFF);
    cmap.I16(1 - 0x20), cmap.U16(1), cmap.U16(0), cmap.U16(0);

    std::string postScript;
    for (char c : family)
        if (c != ' ')
            postScript += c;
    std::vector<std::pair<int, std::string>> names { { 1, std::string(family) }, { 2, "Regular" }, { 4, std::string(family) },
        { 6, postScript } };
    name.U16(0), name.U16(unsigned(names.size())), name.U16(unsigned(6 + 12 * names.size()));
    std::size_t offset = 0;
    for (const auto& [id, text] : names) {
        name.U16(3), name.U16(1), name.U16(0x409), name.U16(unsigned(id)), name.U16(unsigned(text.size() * 2)), name.U16(unsigned(offset));
        offset += text.size() * 2;
    }
    for (const auto& [id, text] : names)
        for (char c : text)
            name.U16(static_cast<unsigned char>(c));

    post.U32(0x00030000), post.U32(0), post.I16(-100), post.I16(50);
    for (int i = 0; i < 5; ++i)
        post.U32(0);

    std::vector<std::pair<const char*, Bytes*>> tables { { "cmap", &cmap }, { "glyf", &glyf }, { "head", &head }, { "hhea", &hhea },
        { "hmtx", &hmtx }, { "loca", &loca }, { "maxp", &maxp }, { "name", &name }, { "post", &post } };
    Bytes font;
    font.U32(0x00010000), font.U16(unsigned(tables.size())), font.U16(128), font.U16(3), font.U16(unsigned(tables.size() * 16 - 128));
    std::uint32_t at = 12 + 16 * std::uint32_t(tables.size());
    for (const auto& [tag, table] : tables) {
        for (int i = 0; i < 4; ++i)
            font.Data().push_back(std::uint8_t(tag[i]));
        font.U32(blockfont::Checksum(table->Data())), font.U32(at), font.U32(std::uint32_t(table->Size()));
        at += std::uint32_t((table->Size() + 3) / 4 * 4);
    }
    for (const auto& [tag, table] : tables) {
        font.Append(table->Data());
        font.Pad();
    }
    return std::move(font.Data());
}

}
