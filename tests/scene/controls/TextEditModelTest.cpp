// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TextEditModel.h"

#include "platform/Message.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using namespace nimbrell::platform;

namespace {

class FakeClipboard : public TextClipboard {
public:
    std::optional<std::u16string> content;
    void Put(const std::u16string& text) override { content = text; }
    std::optional<std::u16string> Take() override { return content; }
};

struct Counting {
    TextEditModel model;
    int changes { 0 };
    int typings { 0 };

    explicit Counting(std::u16string text)
    {
        model.SetText(std::move(text));
        model.OnTextChanged = [this] { ++changes; };
        model.OnTyping = [this] { ++typings; };
    }
};

constexpr EditKeys plain {};
constexpr EditKeys shift { true, false };
constexpr EditKeys control { false, true };
constexpr EditKeys shiftControl { true, true };

}

TEST(TextEditModel, CaretMovesAndSelections)
{
    FakeClipboard clipboard;
    TextEditModel model;
    model.SetText(u"hello big, world");
    model.SetCaretPosition(0);
    struct Step {
        unsigned key;
        EditKeys keys;
        std::size_t caret, selStart, selLength;
    };
    const Step steps[] = {
        { VK_RIGHT, plain, 1, 1, 0 },
        { VK_RIGHT, control, 6, 6, 0 },       // to the next word's start
        { VK_RIGHT, shiftControl, 11, 6, 5 }, // "big, " selected
        { VK_LEFT, shift, 10, 6, 4 },
        { VK_LEFT, plain, 9, 9, 0 }, // without Shift the selection goes
        { VK_LEFT, control, 6, 6, 0 },
        { VK_LEFT, control, 0, 0, 0 },
        { VK_LEFT, control, 0, 0, 0 },
        { VK_END, shift, 16, 0, 16 },
        { VK_HOME, plain, 0, 0, 0 },
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(model.KeyDown(step.key, step.keys, clipboard));
        EXPECT_EQ(model.CaretPosition(), step.caret) << "key " << step.key;
        EXPECT_EQ(model.SelStart(), step.selStart) << "key " << step.key;
        EXPECT_EQ(model.SelLength(), step.selLength) << "key " << step.key;
    }
    EXPECT_FALSE(model.KeyDown('Q', plain, clipboard));
}

TEST(TextEditModel, SurrogatePairsMoveAndDeleteAsOne)
{
    FakeClipboard clipboard;
    Counting box(u"a\U0001F600b");
    box.model.SetCaretPosition(1);
    box.model.KeyDown(VK_RIGHT, plain, clipboard);
    EXPECT_EQ(box.model.CaretPosition(), 3u);
    box.model.KeyDown(VK_BACK, plain, clipboard);
    EXPECT_EQ(box.model.Text(), u"ab");
    box.model.SetCaretPosition(2);
    EXPECT_TRUE(box.model.Type(U'\U0001F600'));
    EXPECT_EQ(box.model.Text(), u"ab\U0001F600");
    box.model.SetCaretPosition(3);
    EXPECT_EQ(box.model.CaretPosition(), 2u) << "a caret never stops inside a pair";
}

TEST(TextEditModel, TypingRules)
{
    Counting box(u"abc");
    box.model.SetCaretPosition(3);
    EXPECT_TRUE(box.model.Type(U'd'));
    EXPECT_TRUE(box.model.Type(U'中'));
    EXPECT_EQ(box.model.Text(), u"abcd中");
    EXPECT_EQ(box.typings, 2);
    EXPECT_FALSE(box.model.Type(U'\t')) << "control characters are not typed";
    EXPECT_FALSE(box.model.Type(0xD800));

    box.model.SetFilterChar(u"0123456789.,-+");
    EXPECT_FALSE(box.model.Type(U'x'));
    EXPECT_TRUE(box.model.Type(U'5'));

    box.model.SetFilterChar(u"");
    box.model.SetMaxLength(6);
    box.model.SetSelStart(1);
    box.model.SetSelLength(2);
    EXPECT_TRUE(box.model.Type(U'Z')) << "replacing a selection shortens the text";
    EXPECT_EQ(box.model.Text(), u"aZd中5");
    EXPECT_TRUE(box.model.Type(U'Y'));
    box.model.SetSelStart(0);
    box.model.SetSelLength(1);
    EXPECT_TRUE(box.model.Type(U'W')) << "a full box still takes a replacement";
    EXPECT_EQ(box.model.Text(), u"WZYd中5");
    box.model.SetSelStart(5);
    box.model.SetSelLength(1);
    EXPECT_FALSE(box.model.Type(U'😀')) << "two units replacing one exceed MaxLength";
    EXPECT_EQ(box.model.Text(), u"WZYd中5");
    EXPECT_EQ(box.model.SelLength(), 0u) << "and the selection is cleared";
}

TEST(TextEditModel, DeletingAndClipboard)
{
    FakeClipboard clipboard;
    Counting box(u"one two");
    box.model.SetCaretPosition(3);
    box.model.KeyDown(VK_BACK, plain, clipboard);
    EXPECT_EQ(box.model.Text(), u"on two");
    EXPECT_EQ(box.model.CaretPosition(), 2u);
    box.model.KeyDown(VK_DELETE, plain, clipboard);
    EXPECT_EQ(box.model.Text(), u"ontwo");
    EXPECT_EQ(box.typings, 2);

    box.model.KeyDown('A', control, clipboard);
    box.model.KeyDown('C', control, clipboard);
    EXPECT_EQ(clipboard.content, u"ontwo");
    box.model.SetSelStart(2);
    box.model.SetSelLength(3);
    box.model.KeyDown(VK_DELETE, shift, clipboard);
    EXPECT_EQ(clipboard.content, u"two") << "Shift+Delete cuts";
    EXPECT_EQ(box.model.Text(), u"on");
    box.model.KeyDown(VK_INSERT, shift, clipboard);
    EXPECT_EQ(box.model.Text(), u"ontwo");
    box.model.KeyDown(VK_HOME, plain, clipboard);
    box.model.KeyDown('V', control, clipboard);
    EXPECT_EQ(box.model.Text(), u"twoontwo");
    EXPECT_TRUE(box.model.KeyDown('Z', control, clipboard)) << "undo is swallowed";
    EXPECT_EQ(box.model.Text(), u"twoontwo");
}

TEST(TextEditModel, ReadOnlySelectsAndCopiesOnly)
{
    FakeClipboard clipboard;
    clipboard.content = u"pasted";
    Counting box(u"fixed");
    box.model.SetReadOnly(true);
    int changesBefore = box.changes;
    box.model.KeyDown('A', control, clipboard);
    EXPECT_EQ(box.model.SelLength(), 5u);
    EXPECT_FALSE(box.model.Type(U'x'));
    box.model.KeyDown('V', control, clipboard);
    box.model.KeyDown(VK_BACK, plain, clipboard);
    box.model.KeyDown(VK_DELETE, plain, clipboard);
    EXPECT_EQ(box.model.Text(), u"fixed");
    box.model.KeyDown('X', control, clipboard);
    EXPECT_EQ(clipboard.content, u"fixed") << "cutting only copies";
    EXPECT_EQ(box.model.Text(), u"fixed");
    EXPECT_EQ(box.changes, changesBefore);
    EXPECT_EQ(box.typings, 0);
    EXPECT_FALSE(box.model.CanCut());
    EXPECT_TRUE(box.model.CanCopy());
}

TEST(TextEditModel, PasteIntoASingleLine)
{
    struct Case {
        std::u16string clipboard;
        std::u16string filter;
        std::u16string result;
    };
    const Case cases[] = {
        { u"two\r\nlines", u"", u"two lines" },
        { u"a\nb\rc", u"", u"a b c" },
        { u"tab\there\x01\x7F", u"", u"tabhere" },
        { u"\xD800x\xDC00", u"", u"x" },        // lone surrogates dropped
        { u"12a3\n4", u"0123456789", u"1234" }, // filter applies, no space allowed
        { u"", u"", u"" },
    };
    for (const auto& c : cases) {
        FakeClipboard clipboard;
        clipboard.content = c.clipboard;
        TextEditModel model;
        model.SetFilterChar(c.filter);
        model.Paste(clipboard);
        EXPECT_EQ(model.Text(), c.result);
    }
    FakeClipboard huge;
    huge.content = std::u16string(10'000'000, u'x');
    TextEditModel limited;
    limited.SetMaxLength(10);
    limited.Paste(huge);
    EXPECT_EQ(limited.Text(), u"") << "a paste that does not fit inserts nothing";
    TextEditModel unlimited;
    unlimited.Paste(huge);
    EXPECT_EQ(unlimited.Text().size(), 10'000'000u);
}

TEST(TextEditModel, PasswordNeverReachesTheClipboard)
{
    FakeClipboard clipboard;
    Counting box(u"secret");
    box.model.SetPassword(true);
    box.model.SelectAll();
    box.model.KeyDown('C', control, clipboard);
    box.model.KeyDown('X', control, clipboard);
    EXPECT_FALSE(clipboard.content);
    EXPECT_EQ(box.model.Text(), u"secret");
}

TEST(TextEditModel, TextWritePullsTheCaretBack)
{
    Counting box(u"longer text");
    box.model.SetCaretPosition(11);
    box.model.SetText(u"short");
    EXPECT_EQ(box.model.CaretPosition(), 5u);
    int before = box.changes;
    box.model.SetText(u"short");
    EXPECT_EQ(box.changes, before) << "an unchanged text is no change";
}

TEST(TextEditModel, FirstVisibleCharFollowsTheCaret)
{
    // Every character 10 pixels wide, 50 pixels available: five characters.
    auto width = [](std::size_t from, std::size_t to) { return 10.0f * static_cast<float>(to - from); };
    TextEditModel model;
    model.SetText(u"abcdefghijklmnopqrstuvwxyz");
    model.SetCaretPosition(3);
    model.ScrollToCaret(width, 50);
    EXPECT_EQ(model.FirstVisibleChar(), 1u);
    model.SetCaretPosition(12);
    model.ScrollToCaret(width, 50);
    EXPECT_EQ(model.FirstVisibleChar(), 8u) << "characters 8..12 end at the caret";
    model.SetCaretPosition(4);
    model.ScrollToCaret(width, 50);
    EXPECT_EQ(model.FirstVisibleChar(), 5u);

    TextEditModel huge;
    huge.SetText(std::u16string(1'000'000, u'x'));
    huge.SetCaretPosition(1'000'000);
    int measured = 0;
    huge.ScrollToCaret([&](std::size_t from, std::size_t to) { ++measured; return width(from, to); }, 50);
    EXPECT_EQ(huge.FirstVisibleChar(), 999'996u);
    EXPECT_LT(measured, 40) << "a long text is measured a few times, not once a character";
}
