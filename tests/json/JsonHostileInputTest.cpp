// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonDump.h"

#include "json/JsonReader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace nimbrell {
namespace {

std::string nested(char open, std::string_view inner, char close, int depth)
{
    std::string text(static_cast<std::size_t>(depth), open);
    text += inner;
    text.append(static_cast<std::size_t>(depth), close);
    return text;
}

TEST(JsonHostileInput, DeepNestingYieldsNothingInsteadOfExhaustingTheStack)
{
    const int million = 1'000'000;
    EXPECT_EQ(TxJSON::ParseText(std::string_view(std::string(million, '['))), nullptr);
    EXPECT_EQ(TxJSON::ParseText(std::string_view(nested('[', "1", ']', million))), nullptr);
    std::string objects;
    for (int i = 0; i < million; ++i)
        objects += "{\"a\":";
    objects += "1" + std::string(million, '}');
    EXPECT_EQ(TxJSON::ParseText(std::string_view(objects)), nullptr);
    std::u16string wide(million, u'[');
    EXPECT_EQ(TxJSON::ParseText(std::u16string_view(wide)), nullptr);
}

TEST(JsonHostileInput, NestingUpToTheLimitParses)
{
    auto deepest = TxJSON::ParseText(std::string_view(nested('[', "7", ']', TxJSON::kMaxDepth)));
    ASSERT_TRUE(deepest);
    const TxJSONbase* value = deepest.get();
    for (int i = 0; i < TxJSON::kMaxDepth; ++i) {
        ASSERT_EQ(value->SelfType(), TxJSONtypes::jsList);
        value = value->ItemAt(0);
    }
    EXPECT_EQ(test::Dump(value), "7");
    EXPECT_EQ(TxJSON::ParseText(std::string_view(nested('[', "7", ']', TxJSON::kMaxDepth + 1))), nullptr);
    EXPECT_EQ(TxJSON::ParseText(std::string_view(nested('[', "{}", ']', TxJSON::kMaxDepth))), nullptr);
}

// About 100 MB of forecast-like records.
std::string largeDocument()
{
    const std::string record = R"({"city":"北京","temp1":"32℃~20℃","weather1":"多云转晴","wind1":"北风4-5级转3-4级",)"
                               R"("st1":25,"flags":[true,false,null],"note":"line\nbreak \u4e2d"},)";
    const std::size_t target = 100u << 20;
    std::string text;
    text.reserve(target + record.size() + 2);
    text += '[';
    while (text.size() < target)
        text += record;
    text += ']';
    return text;
}

TEST(JsonHostileInput, HundredMegabyteDocuments)
{
    std::string text = largeDocument();
    std::size_t records = (text.size() - 2) / (text.find("},") + 1);
    {
        auto root = TxJSON::ParseText(std::string_view(text));
        ASSERT_TRUE(root);
        ASSERT_EQ(static_cast<std::size_t>(root->Count()), records);
        auto* last = AsObject(root->ItemAt(root->Count() - 1));
        ASSERT_TRUE(last);
        EXPECT_EQ(ReadMemberText(*last, u"wind1"), u"北风4-5级转3-4级");
        EXPECT_EQ(ReadMemberText(*last, u"note"), u"line\nbreak 中");
    }

    // Cut short just before the end: nothing survives.
    text.pop_back();
    EXPECT_EQ(TxJSON::ParseText(std::string_view(text)), nullptr);

    // One string of 100 MB, and 100 MB of whitespace before a value.
    std::string longString(100u << 20, 'x');
    longString.front() = '"';
    longString.back() = '"';
    auto root = TxJSON::ParseText(std::string_view(longString));
    ASSERT_TRUE(root);
    EXPECT_EQ(static_cast<const TxJSONstring*>(root.get())->Text().size(), longString.size() - 2);
    root.reset();
    longString.back() = 'x';
    EXPECT_EQ(TxJSON::ParseText(std::string_view(longString)), nullptr);

    std::string blank(100u << 20, '\0');
    blank.back() = '1';
    EXPECT_EQ(test::Dump(TxJSON::ParseText(std::string_view(blank)).get()), "1");
}

TEST(JsonHostileInput, RandomBytesNeverCrash)
{
    // Random bytes, and valid documents with random bytes overwritten: any result is
    // fine as long as a present tree can be walked completely.
    std::mt19937 random(2024);
    const std::string valid = R"({"a":[1,-2.5e3,"x\"y\u0041",true,null,{"b":{}}],"c":"中文","d":+5})";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        if (round % 2 == 0) {
            text.resize(random() % 64);
            for (char& c : text)
                c = static_cast<char>(random());
        } else {
            text = valid;
            for (int i = 0; i < 3; ++i)
                text[random() % text.size()] = static_cast<char>(random());
        }
        auto root = TxJSON::ParseText(std::string_view(text));
        (void)test::Dump(root.get());
        auto wide = TxJSON::ParseText(std::u16string_view(Utf8ToUtf16(text)));
        EXPECT_EQ(test::Dump(root.get()), test::Dump(wide.get()));
    }
}

}
}
