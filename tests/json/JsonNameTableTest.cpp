// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/JsonReader.h"

#include <gtest/gtest.h>

#include <string>

namespace nimbrell {
namespace {

// Member names that differ only in the top bit of their last fifteen units: an
// unmixed hash of the units puts all of them in one slot of the parser's name
// table. Without a probe cap every later name walks the whole cluster, which
// with this document costs minutes of CPU; the test's time-out catches that.
std::u16string craftedName(unsigned bits)
{
    std::u16string name(49, u'\u4E00');
    for (int bit = 0; bit < 15; ++bit)
        name += (bits >> bit) & 1 ? u'\uCE00' : u'\u4E00';
    return name;
}

TEST(JsonNameTable, CollidingNamesParseInLinearTime)
{
    const unsigned names = 1u << 15;
    const int rounds = 8;
    std::u16string text = u"[";
    for (int round = 0; round < rounds; ++round) {
        for (unsigned bits = 0; bits < names; ++bits) {
            text += u"{\"" + craftedName(bits) + u"\":" + (round == 0 ? u"1" : u"2") + u"},";
        }
    }
    text.back() = u']';

    auto root = TxJSON::ParseText(std::u16string_view(text));
    ASSERT_TRUE(root);
    ASSERT_EQ(root->Count(), static_cast<int>(names) * rounds);
    for (unsigned bits : { 0u, 1u, 12345u, names - 1 }) {
        for (int round : { 0, rounds - 1 }) {
            auto* object = AsObject(root->ItemAt(static_cast<int>(round * names + bits)));
            ASSERT_TRUE(object);
            EXPECT_EQ(object->IndexOfName(craftedName(bits)), 0) << bits;
            EXPECT_EQ(object->IndexOfName(craftedName(bits ^ 1)), -1) << bits;
        }
    }
}

}
}
