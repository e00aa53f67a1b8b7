// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestClasses.h"

#include "scene/core/Extended80.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace nimbrell::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::initializer_list<int> values)
{
    Bytes out;
    for (int value : values)
        out.push_back(static_cast<std::uint8_t>(value));
    return out;
}

Bytes compile(std::string_view text)
{
    return ObjectTextToBinary(text);
}

class ObjectStreamTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

// Every tag the writer emits: vaList, vaInt8/16/32/64, vaExtended, vaString, vaLString,
// vaWString, vaUTF8String, vaIdent, vaFalse, vaTrue, vaBinary, vaSet, vaCollection.
std::string everyTagText()
{
    std::string longText(300, 'x');
    return "object Form: TTestForm\n"
           "  BindingName = 'form'\n"
           "  DesignSnapGridShow = False\n"
           "  DesignSnapToGrid = False\n"
           "  DesignSnapToLines = False\n"
           "  object Button: TTestNode\n"
           "    Count = 5\n"
           "    Kind = tkThird\n"
           "    Flag = True\n"
           "    Shown = False\n"
           "    Options = [toLeft, toBottom]\n"
           "    Size = 50.0\n"
           "    Caption = 'Button'\n"
           "    Position.Point = '(11,7)'\n"
           "    Margins.Rect = '(0,0.500,-49,-74)'\n"
           "    Items.strings = (\n"
           "      '后天'\n"
           "      '32℃~20℃'\n"
           "      '取  消'\n"
           "      ''\n"
           "      'plain'#13#10'line')\n"
           "    Link = Second\n"
           "    OnClick = ButtonClick\n"
           "    Points = <\n"
           "      item\n"
           "        Color = '#FF000000'\n"
           "      end\n"
           "      item\n"
           "        Color = '#FFFFFFFF'\n"
           "        Offset = 0.1\n"
           "      end>\n"
           "    Cursor = crHandPoint\n"
           "    Blob = {\n"
           "      0001FF80}\n"
           "  end\n"
           "  object Second: TTestNode\n"
           "    Count = -300\n"
           "    Size = -1.5e-7\n"
           "    Caption = '"
        + longText
        + "'\n"
          "    object TTestNode\n"
          "      Count = 100000\n"
          "    end\n"
          "    object TTestNode\n"
          "      Count = -10000000000\n"
          "    end\n"
          "  end\n"
          "end\n";
}

TEST(Extended80, EncodesExactlyAndDecodesWithRoundingToNearestEven)
{
    EXPECT_EQ(EncodeExtended(50.0), (Extended80 { 0, 0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40 }));
    EXPECT_EQ(EncodeExtended(0.0), Extended80 {});
    EXPECT_EQ(EncodeExtended(-1.0), (Extended80 { 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xBF }));

    const double values[] = { 0.1f, -2.5, 1e-40f, 3.4028234663852886e38, std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::max(), 1.0 / 3.0, std::numeric_limits<double>::infinity(), -0.0 };
    for (double value : values) {
        Extended80 bytes = EncodeExtended(value);
        double back = DecodeExtendedToDouble(bytes);
        EXPECT_EQ(std::memcmp(&back, &value, sizeof value), 0) << value;
        EXPECT_EQ(DecodeExtendedToFloat(bytes), static_cast<float>(value)) << value;
    }
    EXPECT_TRUE(std::isnan(DecodeExtendedToDouble(EncodeExtended(std::numeric_limits<double>::quiet_NaN()))));

    // 1 + 2^-53 is a tie between 1 and 1 + 2^-52: to even gives 1; a bit more rounds up.
    Extended80 tie { 0, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F };
    EXPECT_EQ(DecodeExtendedToDouble(tie), 1.0);
    Extended80 above { 1, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F };
    EXPECT_EQ(DecodeExtendedToDouble(above), 1.0 + std::ldexp(1.0, -52));
    // Beyond the double range: infinity; far below: zero.
    Extended80 huge { 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F - 1 };
    EXPECT_TRUE(std::isinf(DecodeExtendedToDouble(huge)));
    Extended80 tiny { 0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x00 };
    EXPECT_EQ(DecodeExtendedToDouble(tiny), 0.0);
    // The largest float's neighbourhood: rounds to the float, not through the double.
    EXPECT_EQ(DecodeExtendedToFloat(EncodeExtended(1.0 + std::ldexp(1.0, -24))), 1.0f);
}

// Where the host's long double is the same 80-bit format, it is an independent reference.
TEST(Extended80, AgreesWithTheHostsExtendedFormatWhereThereIsOne)
{
    if constexpr (std::numeric_limits<long double>::digits != 64) {
        GTEST_SKIP() << "long double is not the 80-bit format here";
    } else {
        std::uint64_t state = 0x9E3779B97F4A7C15ull;
        auto next = [&state] {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            return state;
        };
        for (int i = 0; i < 200000; ++i) {
            Extended80 bytes;
            std::uint64_t significand = next();
            std::uint64_t top = next();
            for (int k = 0; k < 8; ++k)
                bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(significand >> (8 * k));
            // Exponents around the whole double and float ranges, normal numbers only.
            unsigned exponent = 16383 - 1100 + static_cast<unsigned>(top % 2200);
            exponent |= (top >> 40) & 1 ? 0x8000 : 0;
            bytes[8] = static_cast<std::uint8_t>(exponent);
            bytes[9] = static_cast<std::uint8_t>(exponent >> 8);
            bytes[7] |= 0x80;
            long double host = 0;
            std::memcpy(&host, bytes.data(), 10);
            double wide = DecodeExtendedToDouble(bytes);
            double expected = static_cast<double>(host);
            ASSERT_EQ(std::memcmp(&wide, &expected, sizeof wide), 0) << i;
            float narrow = DecodeExtendedToFloat(bytes);
            float expectedNarrow = static_cast<float>(host);
            ASSERT_EQ(std::memcmp(&narrow, &expectedNarrow, sizeof narrow), 0) << i;

            double value = std::bit_cast<double>(next());
            if (std::isnan(value))
                continue;
            long double extended = value;
            Extended80 encoded = EncodeExtended(value);
            ASSERT_EQ(std::memcmp(encoded.data(), &extended, 10), 0) << value;
        }
    }
}

TEST_F(ObjectStreamTest, WriterOmitsDefaultsAndWritesFloatsAsExtended)
{
    TTestNode node(nullptr);
    node.SetSize(50);
    Bytes out;
    node.SaveToBinStream(out);
    Bytes expected = bytesOf({ 'T', 'P', 'F', '0', 9, 'T', 'T', 'e', 's', 't', 'N', 'o', 'd', 'e', 0, 4, 'S', 'i', 'z', 'e', 5, 0,
        0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40, 0, 0 });
    EXPECT_EQ(out, expected);
}

TEST_F(ObjectStreamTest, WriterChoosesTheSmallestIntegerTag)
{
    struct Row {
        std::int64_t value;
        TValueType tag;
        std::size_t payload;
    };
    const Row rows[] = {
        { 127, TValueType::vaInt8, 1 },
        { -128, TValueType::vaInt8, 1 },
        { 128, TValueType::vaInt16, 2 },
        { -32768, TValueType::vaInt16, 2 },
        { 32768, TValueType::vaInt32, 4 },
        { INT32_MIN, TValueType::vaInt32, 4 },
        { std::int64_t(INT32_MAX) + 1, TValueType::vaInt64, 8 },
    };
    for (const Row& row : rows) {
        Bytes out;
        ObjectWriter writer(out);
        writer.WriteInteger(row.value);
        ASSERT_EQ(out.size(), 1 + row.payload) << row.value;
        EXPECT_EQ(static_cast<TValueType>(out[0]), row.tag) << row.value;
        ObjectReader reader(out);
        EXPECT_EQ(reader.ReadInteger(), row.value);
    }
}

TEST_F(ObjectStreamTest, WriterChoosesTheTextTagByEncodedLength)
{
    struct Row {
        std::string text;
        TValueType tag;
    };
    const Row rows[] = {
        { "ASCII", TValueType::vaString },
        { std::string(255, 'a'), TValueType::vaString },
        { std::string(256, 'a'), TValueType::vaLString },
        { "后天", TValueType::vaWString },
        { "32℃~20℃", TValueType::vaUTF8String },
        { "取  消", TValueType::vaWString },
        { "", TValueType::vaWString },
        { "😀", TValueType::vaWString },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ObjectWriter::TextValueType(row.text), row.tag) << row.text;
        Bytes out;
        ObjectWriter writer(out);
        writer.WriteText(row.text);
        ObjectReader reader(out);
        EXPECT_EQ(reader.ReadText(), row.text);
        EXPECT_TRUE(reader.AtEnd());
    }
    Bytes empty;
    ObjectWriter(empty).WriteText("");
    EXPECT_EQ(empty, bytesOf({ 18, 0, 0, 0, 0 }));
}

TEST_F(ObjectStreamTest, NamesAreCutAt255Bytes)
{
    TTestNode node(nullptr);
    node.SetName(std::string(300, 'n'));
    Bytes out;
    node.SaveToBinStream(out);
    ASSERT_GT(out.size(), 15u);
    EXPECT_EQ(out[14], 255);
    TTestNode back(nullptr);
    ReadObjectStream(out, back);
    EXPECT_EQ(back.Name(), std::string(255, 'n'));
}

TEST_F(ObjectStreamTest, EveryTagRoundTripsByteForByte)
{
    Bytes compiled = compile(everyTagText());
    TTestNode::LoadedOrder().clear();
    TTestForm form(nullptr);
    ReadObjectStream(compiled, form);

    auto* button = static_cast<TTestNode*>(form.FindComponent("Button"));
    auto* second = static_cast<TTestNode*>(form.FindComponent("Second"));
    ASSERT_NE(button, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(form.Name(), "Form");
    EXPECT_EQ(form.Button, button);
    EXPECT_EQ(button->Link(), second);
    EXPECT_EQ(button->Kind(), TestKind::tkThird);
    EXPECT_EQ(button->Options(), (TestOptions { TestOption::toLeft, TestOption::toBottom }));
    EXPECT_EQ(button->Margins().Rect(), (TvxRect { 0, 0.5f, -49, -74 }));
    EXPECT_EQ(button->Items().Lines(), (std::vector<std::string> { "后天", "32℃~20℃", "取  消", "", "plain\r\nline" }));
    ASSERT_EQ(button->Points().Count(), 2);
    EXPECT_EQ(button->Points()[1].Offset(), 0.1f);
    EXPECT_EQ(button->Cursor(), -21);
    EXPECT_EQ(button->Blob(), bytesOf({ 0, 1, 0xFF, 0x80 }));
    EXPECT_EQ(second->Size(), -1.5e-7f);
    EXPECT_EQ(second->Child(1)->Class().FindProperty("Count")->GetInteger(*second->Child(1)), -10000000000);
    button->OnClick(button);
    EXPECT_EQ(form.clicks, (std::vector<TvxObject*> { button }));
    EXPECT_EQ(TTestNode::LoadedOrder(), (std::vector<std::string> { "Button", std::string(300, 'x'), "", "" }));

    // text -> binary -> objects -> binary, and binary -> text -> binary.
    Bytes written;
    form.SaveToBinStream(written);
    EXPECT_EQ(written, compiled);
    std::string text = ObjectBinaryToText(written);
    EXPECT_EQ(compile(text), written) << text;
    for (const char* fragment : { "Count = 5", "Count = -300", "Count = 100000", "Count = -10000000000", "Size = 50.0",
             "Kind = tkThird", "Flag = True", "Shown = False", "Options = [toLeft, toBottom]", "Blob = {", "Points = <",
             "Items.strings = (", "'后天'", "#13#10" })
        EXPECT_NE(text.find(fragment), std::string::npos) << fragment;
}

TEST_F(ObjectStreamTest, ContentContainersAreWrittenFlattened)
{
    TTestForm form(nullptr);
    auto* parent = new TTestNode(&form);
    parent->SetCaption("parent");
    auto* content = new TTestContent(&form);
    content->SetCaption("content");
    auto* inner1 = new TTestNode(&form);
    inner1->SetCaption("inner1");
    auto* inner2 = new TTestNode(&form);
    inner2->SetCaption("inner2");
    inner2->SetStored(false);
    parent->AddObject(content);
    content->AddObject(inner1);
    content->AddObject(inner2);
    auto* after = new TTestNode(&form);
    after->SetCaption("after");
    parent->AddObject(after);

    Bytes out;
    parent->SaveToBinStream(out);
    std::string text = ObjectBinaryToText(out);
    EXPECT_EQ(text,
        "object TTestNode\n"
        "  Caption = 'parent'\n"
        "  object TTestNode\n"
        "    Caption = 'inner1'\n"
        "  end\n"
        "  object TTestContent\n"
        "    Caption = 'content'\n"
        "  end\n"
        "  object TTestNode\n"
        "    Caption = 'after'\n"
        "  end\n"
        "end\n");
}

TEST_F(ObjectStreamTest, NestedStreamsTravelAsBinaryCustomProperties)
{
    TTestResources resources(nullptr);
    auto* tree = new TTestNode(nullptr);
    tree->SetName("kept out");
    auto* part = new TTestNode(nullptr);
    part->SetResourceName("buttonstyle");
    tree->AddObject(part);
    resources.SetTree(tree);
    Bytes out;
    resources.SaveToBinStream(out);
    std::string text = ObjectBinaryToText(out);
    EXPECT_NE(text.find("ResourcesBin = {\n    54504630"), std::string::npos) << text;

    TTestResources back(nullptr);
    ReadObjectStream(out, back);
    ASSERT_NE(back.Tree(), nullptr);
    EXPECT_EQ(back.Tree()->Name(), "");
    ASSERT_EQ(back.Tree()->ChildrenCount(), 1);
    EXPECT_EQ(back.Tree()->Child(0)->ResourceName(), "buttonstyle");
    // The nested tree comes back without names, and from then on byte for byte.
    Bytes again;
    back.SaveToBinStream(again);
    EXPECT_NE(again, out);
    TTestResources third(nullptr);
    ReadObjectStream(again, third);
    Bytes stable;
    third.SaveToBinStream(stable);
    EXPECT_EQ(stable, again);

    // The design-tool settings of a window are read and discarded, whatever they hold.
    TTestForm form(nullptr);
    ReadObjectStream(compile("object F: TTestForm\n  DesignSnapToGrid = True\nend\n"), form);
    Bytes formBytes;
    form.SaveToBinStream(formBytes);
    EXPECT_EQ(ObjectBinaryToText(formBytes),
        "object F: TTestForm\n  DesignSnapGridShow = False\n  DesignSnapToGrid = False\n  DesignSnapToLines = False\nend\n");
}

struct ErrorCase {
    const char* body;
    const char* message;
};

TEST_F(ObjectStreamTest, ReaderErrorsCarryTheirMessages)
{
    const ErrorCase cases[] = {
        { "object X: TTestNode\n  Caption.Size = 1\nend", "Invalid property path" },
        { "object X: TTestNode\n  Link.Size = 1\nend", "Invalid property path" },
        { "object X: TTestNode\n  Nothing = 1\nend", "Property Nothing does not exist" },
        { "object X: TTestNode\n  Position.Nothing = 1\nend", "Property Nothing does not exist" },
        { "object X: TTestNode\n  Nothing.Size = 1\nend", "Property Nothing.Size does not exist" },
        { "object X: TTestNode\n  Kind = tkFourth\nend", "Invalid property value" },
        { "object X: TTestNode\n  Kind = 1\nend", "Invalid property value" },
        { "object X: TTestNode\n  Size = 'wide'\nend", "Invalid property value" },
        { "object X: TTestNode\n  Count = 1.5\nend", "Invalid property value" },
        { "object X: TTestNode\n  Options = [toLeft, toMiddle]\nend", "Invalid property value" },
        { "object X: TTestNode\n  OnClick = Missing\nend", "Invalid property value" },
        { "object X: TTestNode\n  OnClick = OtherSignature\nend", "Invalid property value" },
        { "object X: TTestNode\n  IsReadOnly = True\nend", "Invalid property value" },
        { "object X: TTestNode\n  Position = 1\nend", "Invalid property value" },
        { "object X: TTestNode\n  Points = 1\nend", "Invalid property value" },
        { "object X: TTestNode\n  Position.Point = 1\nend", "Invalid property value" },
        { "object X: TTestNode\n  object Y: TMissing\n  end\nend", "Class TMissing not found" },
        { "object X: TTestNode\n  object Twin: TTestNode\n  end\n  object twin: TTestNode\n  end\nend",
            "A component named twin already exists" },
    };
    for (const ErrorCase& row : cases) {
        Bytes stream = compile(std::string("object Form: TTestForm\n") + row.body + "\nend\n");
        TTestForm form(nullptr);
        try {
            ReadObjectStream(stream, form);
            ADD_FAILURE() << "no error for " << row.body;
        } catch (const ObjectStreamError& error) {
            EXPECT_STREQ(error.what(), row.message) << row.body;
            EXPECT_FALSE(error.IsFatal());
        }
        EXPECT_FALSE(form.HasState(ComponentState::Loading));
    }
}

TEST_F(ObjectStreamTest, BrokenStreamsFailWithFormatOrReadErrors)
{
    Bytes valid = compile("object X: TTestNode\n  Caption = 'abc'\nend\n");
    struct Row {
        Bytes stream;
        const char* message;
    };
    std::vector<Row> rows;
    rows.push_back({ bytesOf({ 'T', 'P', 'F', '1', 0, 0, 0, 0 }), "Invalid stream format" });
    rows.push_back({ bytesOf({ 'T', 'P' }), "Invalid stream format" });
    for (std::size_t cut = 4; cut < valid.size(); ++cut)
        rows.push_back({ Bytes(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(cut)), "Stream read error" });
    Bytes badTag = valid;
    badTag[valid.size() - 7] = 99; // the tag of the Caption value
    rows.push_back({ badTag, "Invalid stream format" });
    for (const Row& row : rows) {
        TTestNode node(nullptr);
        try {
            ReadObjectStream(row.stream, node);
            ADD_FAILURE() << "no error for a stream of " << row.stream.size() << " bytes";
        } catch (const ObjectStreamError& error) {
            EXPECT_STREQ(error.what(), row.message) << row.stream.size();
        }
        // Even an error handler that accepts everything cannot read past the end.
        ObjectReader reader(row.stream);
        reader.OnError([](ObjectReader&, const std::string&, bool& handled) { handled = true; });
        TTestNode other(nullptr);
        EXPECT_THROW(reader.ReadRoot(other), ObjectStreamError);
    }
}

TEST_F(ObjectStreamTest, HandledErrorsSkipTheEntryAndReadOn)
{
    Bytes stream = compile(
        "object Form: TTestForm\n"
        "  object A: TTestNode\n"
        "    Nothing = (1 2 (3 'x') <item Offset = 1.0 end>)\n"
        "    Kind = tkFourth\n"
        "    Caption = 'kept'\n"
        "    Points = <\n"
        "      item\n"
        "        Missing = 1\n"
        "        Offset = 0.5\n"
        "      end>\n"
        "    object B: TMissing\n"
        "      Caption = 'lost'\n"
        "      object C: TTestNode\n"
        "      end\n"
        "    end\n"
        "    object D: TTestNode\n"
        "      Caption = 'read'\n"
        "    end\n"
        "  end\n"
        "  object A: TTestNode\n"
        "    Caption = 'second A'\n"
        "  end\n"
        "end\n");
    TTestForm form(nullptr);
    ObjectReader reader(stream);
    std::vector<std::string> messages;
    reader.OnError([&](ObjectReader&, const std::string& message, bool& handled) {
        messages.push_back(message);
        handled = true;
    });
    reader.ReadRoot(form);
    EXPECT_EQ(messages, (std::vector<std::string> { "Property Nothing does not exist", "Invalid property value", "Property Missing does not exist", "Class TMissing not found", "A component named A already exists" }));
    ASSERT_EQ(form.ChildrenCount(), 1);
    auto* a = static_cast<TTestNode*>(form.Child(0));
    EXPECT_EQ(a->Caption(), "kept");
    ASSERT_EQ(a->Points().Count(), 1);
    EXPECT_EQ(a->Points()[0].Offset(), 0.5f);
    ASSERT_EQ(a->ChildrenCount(), 1);
    EXPECT_EQ(static_cast<TTestNode*>(a->Child(0))->Caption(), "read");
    EXPECT_EQ(form.FindComponent("C"), nullptr);
    EXPECT_EQ(form.ComponentCount(), 2);
}

TEST_F(ObjectStreamTest, SetNameHandlerMayRenameAndStyleTreesHaveNoClashes)
{
    Bytes stream = compile(
        "object Form: TTestForm\n"
        "  object Twin: TTestNode\n"
        "  end\n"
        "  object Twin: TTestNode\n"
        "  end\n"
        "end\n");
    TTestForm form(nullptr);
    ObjectReader reader(stream);
    int counter = 0;
    reader.OnSetName([&](ObjectReader&, TvxComponent&, std::string& name) {
        if (!name.empty() && name != "Form")
            name += std::to_string(++counter);
    });
    reader.ReadRoot(form);
    EXPECT_NE(form.FindComponent("Twin1"), nullptr);
    EXPECT_NE(form.FindComponent("Twin2"), nullptr);
    // Fields are bound only when the reader names objects itself.
    EXPECT_EQ(form.Button, nullptr);

    Bytes anonymous = compile("object TTestNode\n  object TTestNode\n  end\n  object TTestNode\n  end\nend\n");
    TTestNode root(nullptr);
    ReadObjectStream(anonymous, root);
    EXPECT_EQ(root.ChildrenCount(), 2);
}

TEST_F(ObjectStreamTest, PointAndRectTextsAreExactAndForgiving)
{
    struct Row {
        TvxPoint point;
        const char* text;
    };
    const Row rows[] = {
        { { 11, 7 }, "(11,7)" },
        { { -49, -74 }, "(-49,-74)" },
        { { 0, 0.5f }, "(0,0.500)" },
        { { 1.23456f, -0.0f }, "(1.235,0)" },
    };
    for (const Row& row : rows) {
        TTestNode node(nullptr);
        node.Position().SetPoint(row.point);
        Bytes out;
        node.SaveToBinStream(out);
        std::string text = ObjectBinaryToText(out);
        EXPECT_NE(text.find(std::string("Position.Point = '") + row.text + "'"), std::string::npos) << text;
    }
    // At the default value nothing is written.
    TTestNode plain(nullptr);
    Bytes out;
    plain.SaveToBinStream(out);
    EXPECT_EQ(ObjectBinaryToText(out), "object TTestNode\nend\n");

    const std::pair<const char*, TvxPoint> reads[] = {
        { "( 1.5 , -2 )", { 1.5f, -2 } },
        { "(1,x)", { 0, 0 } },
        { "(1)", { 0, 0 } },
        { "1,2", { 0, 0 } },
        { "(1,2,3)", { 0, 0 } },
    };
    for (const auto& [text, expected] : reads) {
        TTestNode node(nullptr);
        node.Position().SetPoint({ 9, 9 });
        ReadObjectStream(compile(std::string("object TTestNode\n  Position.Point = '") + text + "'\nend\n"), node);
        EXPECT_EQ(node.Position().Point(), expected) << text;
    }
    TTestNode bounds(nullptr);
    ReadObjectStream(compile("object TTestNode\n  Margins.Rect = '(1,2,3,4)'\nend\n"), bounds);
    EXPECT_EQ(bounds.Margins().Rect(), (TvxRect { 1, 2, 3, 4 }));
    ReadObjectStream(compile("object TTestNode\n  Margins.Rect = '(1,2,3)'\nend\n"), bounds);
    EXPECT_EQ(bounds.Margins().Rect(), (TvxRect {}));
}

TEST_F(ObjectStreamTest, ReaderAcceptsEveryNumericTagForFloatsAndIntegers)
{
    const std::pair<const char*, float> rows[] = {
        { "2", 2.0f },
        { "-300", -300.0f },
        { "1.25", 1.25f },
        { "1.25s", 1.25f },
        { "1.25r", 1.25f },
        { "1.25d", 1.25f },
        { "1.25c", 1.25f },
        { "0x3FFF8000000000000000", 1.0f },
    };
    for (const auto& [value, expected] : rows) {
        TTestNode node(nullptr);
        std::string text = std::string("object TTestNode\n  Size = ") + value + "\nend\n";
        Bytes stream = compile(text);
        ReadObjectStream(stream, node);
        EXPECT_EQ(node.Size(), expected) << value;
        // The text form keeps each tag.
        EXPECT_EQ(compile(ObjectBinaryToText(stream)), stream) << value;
    }
    TTestNode node(nullptr);
    ReadObjectStream(compile("object TTestNode\n  Count = $7FFFFFFFFFFFFFFF\n  Cursor = -21\nend\n"), node);
    EXPECT_EQ(node.Count(), INT64_MAX);
    EXPECT_EQ(node.Cursor(), -21);
}

TEST_F(ObjectStreamTest, ReferencesResolveAfterTheStreamAndNilClears)
{
    Bytes stream = compile(
        "object Form: TTestForm\n"
        "  object A: TTestNode\n"
        "    Link = C\n"
        "  end\n"
        "  object B: TTestNode\n"
        "    Link = Nobody\n"
        "  end\n"
        "  object C: TTestNode\n"
        "    Link = Form\n"
        "  end\n"
        "end\n");
    TTestForm form(nullptr);
    ReadObjectStream(stream, form);
    auto* a = static_cast<TTestNode*>(form.FindComponent("A"));
    auto* b = static_cast<TTestNode*>(form.FindComponent("B"));
    auto* c = static_cast<TTestNode*>(form.FindComponent("C"));
    EXPECT_EQ(a->Link(), c);
    EXPECT_EQ(b->Link(), nullptr);
    // The form is not a TTestNode: the reference stays empty.
    EXPECT_EQ(c->Link(), nullptr);
    a->Class().FindProperty("Link")->SetReference(*a, b);
    Bytes clearing = compile("object A: TTestNode\n  Link = nil\nend\n");
    ObjectReader reader(clearing);
    reader.OnSetName([](ObjectReader&, TvxComponent&, std::string& name) { name.clear(); });
    reader.ReadRoot(*a);
    EXPECT_EQ(a->Link(), nullptr);
}

TEST_F(ObjectStreamTest, ReferencesOfReplacedCollectionItemsAreDropped)
{
    Bytes stream = compile(
        "object Form: TTestForm\n"
        "  object A: TTestNode\n"
        "    Points = <\n"
        "      item\n"
        "        Target = B\n"
        "      end>\n"
        "    Points = <\n"
        "      item\n"
        "        Offset = 0.5\n"
        "      end\n"
        "      item\n"
        "        Target = A\n"
        "      end>\n"
        "  end\n"
        "  object B: TTestNode\n"
        "  end\n"
        "end\n");
    TTestForm form(nullptr);
    ReadObjectStream(stream, form);
    auto* a = static_cast<TTestNode*>(form.FindComponent("A"));
    ASSERT_EQ(a->Points().Count(), 2);
    EXPECT_EQ(a->Points()[0].Target(), nullptr);
    EXPECT_EQ(a->Points()[1].Target(), a);
}

TEST_F(ObjectStreamTest, CreateObjectFromStreamYieldsNoneOnFailure)
{
    Bytes stream = compile("object Named: TTestNode\n  Caption = 'made'\n  Nothing = 1\n  object Inner: TTestNode\n  end\nend\n");
    TTestForm owner(nullptr);
    TvxObject* made = CreateObjectFromStream(stream, &owner);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_EQ(made->Name(), "");
    EXPECT_EQ(static_cast<TTestNode*>(made)->Caption(), "made");
    ASSERT_EQ(made->ChildrenCount(), 1);
    EXPECT_EQ(made->Child(0)->Name(), "");
    EXPECT_EQ(made->Child(0)->Owner(), made);

    EXPECT_EQ(PeekRootClassName(stream), "TTestNode");
    EXPECT_EQ(CreateObjectFromStream(compile("object TMissing\nend\n"), nullptr), nullptr);
    Bytes truncated(stream.begin(), stream.end() - 3);
    int before = owner.ComponentCount();
    EXPECT_EQ(CreateObjectFromStream(truncated, &owner), nullptr);
    EXPECT_EQ(owner.ComponentCount(), before);
    EXPECT_EQ(CreateObjectFromStream(bytesOf({ 1, 2, 3 }), nullptr), nullptr);
}

TEST(ObjectText, SyntaxErrorsNameTheirLine)
{
    struct Row {
        const char* text;
        int line;
    };
    const Row rows[] = {
        { "object X: TTestNode\n  Caption 'a'\nend\n", 2 },
        { "object X: TTestNode\n  Caption = 'unterminated\nend\n", 2 },
        { "object X: TTestNode\n  Blob = {0F0}\nend\n", 2 },
        { "object X: TTestNode\n  Count = $1FFFFFFFFFFFFFFFF\nend\n", 2 },
        { "object X: TTestNode\n\n  Data = @include 'x.png'\nend\n", 3 },
        { "object X: TTestNode\n  object Y: TTestNode\n", 3 },
        { "thing X: TTestNode\nend\n", 1 },
    };
    for (const Row& row : rows) {
        try {
            ObjectTextToBinary(row.text);
            ADD_FAILURE() << row.text;
        } catch (const ObjectTextError& error) {
            EXPECT_EQ(error.Line(), row.line) << row.text << ": " << error.what();
        }
    }
}

TEST(ObjectText, IncludesAndMarksMapBytesToLines)
{
    std::vector<TextLineMark> marks;
    Bytes stream = ObjectTextToBinary(
        "object X: TTestNode\n  Caption = 'a'\n  Blob = @include 'pic.png'\nend\n",
        [](std::string_view path) {
            EXPECT_EQ(path, "pic.png");
            return Bytes { 0x89, 'P', 'N', 'G' };
        },
        &marks);
    std::string text = ObjectBinaryToText(stream);
    EXPECT_NE(text.find("Blob = {\n    89504E47}"), std::string::npos) << text;
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(LineAtOffset(marks, marks[1].offset + 3), 2);
    EXPECT_EQ(LineAtOffset(marks, stream.size()), 3);
    EXPECT_EQ(LineAtOffset(marks, 0), 0);
}

}
}
