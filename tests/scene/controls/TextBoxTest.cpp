// SPDX-License-Identifier: GPL-3.0-or-later
// Text box and spin box: focus and the change rule, keys, the clipboard through
// the platform layer, the spin box's value rules and its step buttons.

#include "tests/scene/controls/ControlScene.h"

#include "platform/Message.h"
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxSpinBox.h"

using namespace nimbrell;
using nimbrell::testing::ControlScene;

namespace {

class TextBoxTest : public ControlScene {
protected:
    int changes { 0 };
    int tracking { 0 };
    TvxTextBox* other { nullptr };

    void SetUp() override
    {
        ControlScene::SetUp();
        other = add<TvxTextBox>(200, 150, 100, 22);
    }

    template<typename T>
    T* box(float y = 10)
    {
        T* control = add<T>(10, y, 107, 22);
        control->OnChange.Set([this](TvxObject*) { ++changes; });
        control->OnChangeTracking.Set([this](TvxObject*) { ++tracking; });
        frame();
        return control;
    }
    void type(std::u32string_view text)
    {
        for (char32_t character : text)
            scene->Character(character, 0);
    }
    void key(int code, TvxShiftState shift = 0) { scene->KeyDown(code, shift); }
    // Ctrl+letter as the desktop delivers it: the key, then the control character.
    void shortcut(char letter)
    {
        scene->KeyDown(letter - 'a' + 'A', kCtrlKey);
        scene->Character(static_cast<char32_t>(letter - 'a' + 1), kCtrlKey);
    }
    void click(float x, float y)
    {
        scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, y);
        scene->MouseUp(TvxMouseButton::mbLeft, 0, x, y);
    }
};

}

TEST_F(TextBoxTest, ChangeFiresAfterAnEditOnEnterAndOnLeaving)
{
    auto* text = box<TvxTextBox>();
    text->SetFocus();
    EXPECT_EQ(text->SelLength(), 0) << "empty: nothing to select";
    type(U"ab");
    EXPECT_EQ(text->Text(), "ab");
    EXPECT_EQ(tracking, 2);
    EXPECT_EQ(changes, 0);
    key(platform::VK_RETURN);
    EXPECT_EQ(changes, 1);
    key(platform::VK_RETURN);
    EXPECT_EQ(changes, 2) << "the pending flag stays until the focus enters again";
    other->SetFocus();
    EXPECT_EQ(changes, 3);

    text->SetFocus();
    EXPECT_EQ(text->SelLength(), 2) << "focus by keyboard selects all";
    other->SetFocus();
    EXPECT_EQ(changes, 3) << "no edit since the focus entered";

    text->SetText("set while unfocused");
    text->SetFocus();
    other->SetFocus();
    EXPECT_EQ(changes, 3) << "entering the focus clears the flag";
}

TEST_F(TextBoxTest, MousePressPutsTheCaretAtTheEndAndDoubleClickSelectsAll)
{
    auto* text = box<TvxTextBox>();
    text->SetText("some words here");
    click(30, 20);
    EXPECT_TRUE(text->IsFocused());
    EXPECT_EQ(text->CaretPosition(), 15);
    EXPECT_EQ(text->SelLength(), 0);
    click(14, 20);
    EXPECT_EQ(text->CaretPosition(), 0) << "a press on the focused box puts the caret at the pressed character";
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, 14, 20);
    scene->MouseMove(kLeftButton, 116, 20);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, 116, 20);
    EXPECT_EQ(text->SelStart(), 0);
    EXPECT_GT(text->SelLength(), 5) << "dragging extends the selection";
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton | kDoubleClick, 30, 20);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, 30, 20);
    EXPECT_EQ(text->SelLength(), 15);
}

TEST_F(TextBoxTest, ClipboardThroughThePlatform)
{
    auto* text = box<TvxTextBox>();
    text->SetFocus();
    type(U"中文 text");
    shortcut('a');
    shortcut('c');
    EXPECT_EQ(backend->ClipboardText(), "中文 text");
    key(platform::VK_END);
    backend->SetRawClipboard(std::string("\xff line\r\nbreak\t!", 15));
    shortcut('v');
    EXPECT_EQ(text->Text(), "中文 text\xEF\xBF\xBD line break!") << "invalid bytes become U+FFFD, breaks spaces, controls go";
    shortcut('x');
    EXPECT_EQ(text->Text(), "中文 text\xEF\xBF\xBD line break!") << "Ctrl+X without a selection cuts nothing";
    shortcut('a');
    shortcut('x');
    EXPECT_EQ(text->Text(), "");
    EXPECT_EQ(backend->ClipboardText(), "中文 text\xEF\xBF\xBD line break!");
    backend->SetRawClipboard(std::nullopt);
    shortcut('v');
    EXPECT_EQ(text->Text(), "") << "a clipboard without text pastes nothing";
}

TEST_F(TextBoxTest, ReadOnlyAllowsSelectingAndCopyingOnly)
{
    auto* text = box<TvxTextBox>();
    text->SetText("北京 海淀");
    text->SetReadOnly(true);
    text->SetFocus();
    backend->SetClipboardText("pasted");
    type(U"x");
    shortcut('v');
    key(platform::VK_BACK);
    key(platform::VK_DELETE);
    EXPECT_EQ(text->Text(), "北京 海淀");
    shortcut('x');
    EXPECT_EQ(backend->ClipboardText(), "北京 海淀") << "cutting only copies";
    EXPECT_EQ(text->Text(), "北京 海淀");
    key(platform::VK_END);
    key(platform::VK_HOME, kShiftKey);
    EXPECT_EQ(text->SelLength(), 5) << "selecting still works";
}

TEST_F(TextBoxTest, ContextMenuEnablesItsItemsForTheBoxState)
{
    auto* text = box<TvxTextBox>();
    text->SetText("hello");
    // The menu a right press shows: which of Cut, Copy, Paste, Delete and Select All are enabled.
    auto rightClick = [&] {
        scene->MouseDown(TvxMouseButton::mbRight, kRightButton, 50, 20);
        scene->MouseUp(TvxMouseButton::mbRight, 0, 50, 20);
        const auto& entries = backend->Popups().back().entries;
        std::string enabled;
        for (const auto& entry : entries)
            enabled += entry.enabled ? '1' : '0';
        return enabled;
    };
    struct Row {
        const char* state;
        std::function<void()> setUp;
        const char* enabled;
    };
    const Row rows[] = {
        { "no selection, empty clipboard", [&] { backend->SetRawClipboard(std::nullopt); text->ClearSelection(); }, "00001" },
        { "part selected, text on the clipboard", [&] { backend->SetClipboardText("x"); text->SetSelStart(1); text->SetSelLength(2); }, "11111" },
        { "all selected", [&] { text->SelectAll(); }, "11110" },
        { "read-only with a selection", [&] { text->SetReadOnly(true); text->SetSelStart(1); text->SetSelLength(2); }, "01001" },
        { "password with a selection", [&] { text->SetReadOnly(false); text->SetPassword(true); }, "00111" },
    };
    for (const Row& row : rows) {
        row.setUp();
        EXPECT_EQ(rightClick(), row.enabled) << row.state;
    }
    std::vector<std::string> captions;
    for (const auto& entry : backend->Popups().back().entries)
        captions.push_back(entry.caption);
    EXPECT_EQ(captions, (std::vector<std::string> { "Cut", "Copy", "Paste", "Delete", "Select All" }));

    // Choosing runs the item: Delete, then Paste, then Select All and Cut.
    text->SetPassword(false);
    auto choose = [&](int index) {
        rightClick();
        platform::PostMessage(backend->Popups().back().target, platform::WM_COMMAND, static_cast<platform::WPARAM>(index), 0);
        application.ProcessMessages();
    };
    choose(3);
    EXPECT_EQ(text->Text(), "hlo");
    backend->SetClipboardText("EL");
    choose(2);
    EXPECT_EQ(text->Text(), "hELlo");
    choose(4);
    choose(0);
    EXPECT_EQ(text->Text(), "");
    EXPECT_EQ(backend->ClipboardText(), "hELlo");
}

TEST_F(TextBoxTest, SpinBoxValueRules)
{
    auto* spin = box<TvxSpinBox>();
    spin->SetMin(3);
    spin->SetMax(20);
    struct Case {
        TvxValueType type;
        double written, value;
        const char* shown;
    };
    const Case cases[] = {
        { TvxValueType::vgValueInteger, 25, 20, "20" },
        { TvxValueType::vgValueInteger, 2.7, 3, "3" },
        { TvxValueType::vgValueInteger, 7.9, 7.9, "7" },
        { TvxValueType::vgValueFloat, 7.25, 7.25, "7.25" },
        { TvxValueType::vgValueFloat, 8.126, 8.126, "8.13" },
        { TvxValueType::vgValueFloat, 9, 9, "9" },
    };
    for (const auto& c : cases) {
        spin->SetValueType(c.type);
        spin->SetValue(c.written);
        EXPECT_DOUBLE_EQ(spin->Value(), c.value) << c.written;
        EXPECT_EQ(spin->Text(), c.shown) << c.written;
    }
    EXPECT_EQ(changes, 0) << "writing Value fires no OnChange";
}

TEST_F(TextBoxTest, SpinBoxTypingAndLeaving)
{
    auto* spin = box<TvxSpinBox>();
    spin->SetMin(3);
    spin->SetMax(20);
    spin->SetValue(5);
    spin->SetFocus();
    type(U"a");
    EXPECT_EQ(spin->Text(), "5") << "a letter is not typed";
    type(U"15");
    key(platform::VK_RETURN);
    EXPECT_EQ(spin->Text(), "15");
    EXPECT_EQ(spin->Value(), 15);
    EXPECT_EQ(changes, 1);

    other->SetFocus();
    changes = 0;
    spin->SetFocus();
    type(U"99");
    other->SetFocus();
    EXPECT_EQ(spin->Text(), "20");
    EXPECT_EQ(spin->Value(), 20);
    EXPECT_EQ(changes, 1);

    struct Case {
        const char* text;
        const char* shown;
        double value;
    };
    const Case cases[] = {
        { "1e308", "20", 20 },
        { "-0", "3", 3 },
        { "nan", "3", 3 },
        { "\u0663", "3", 3 },
        { "-", "3", 3 },
        { "12.9", "12", 12.9 },
    };
    spin->SetValue(3);
    for (const auto& c : cases) {
        spin->SetText(c.text);
        spin->Change();
        EXPECT_EQ(spin->Text(), c.shown) << c.text;
        EXPECT_DOUBLE_EQ(spin->Value(), c.value) << c.text;
    }
    spin->SetText(std::string(400, '9'));
    spin->Change();
    EXPECT_EQ(spin->Text(), "20") << "400 digits";

    spin->SetValueType(TvxValueType::vgValueFloat);
    spin->SetText("7.123456789012345678");
    spin->Change();
    EXPECT_EQ(spin->Text(), "7.12345678901235") << "fractions show in the 15-digit general form";
}

TEST_F(TextBoxTest, SpinBoxStepsWithButtonsAndKeys)
{
    auto* spin = box<TvxSpinBox>();
    spin->SetMax(20);
    spin->SetValue(19);
    frame();
    auto* plus = dynamic_cast<TvxVisualObject*>(spin->FindResource("plusbutton"));
    auto* minus = dynamic_cast<TvxVisualObject*>(spin->FindResource("minusbutton"));
    ASSERT_TRUE(plus && minus);
    TvxRect plusRect = plus->AbsoluteRect();
    float px = (plusRect.Left + plusRect.Right) / 2;
    float py = (plusRect.Top + plusRect.Bottom) / 2;
    click(px, py);
    EXPECT_EQ(spin->Value(), 20);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(spin->IsFocused()) << "the step takes the focus";
    click(px, py);
    EXPECT_EQ(spin->Value(), 20);
    EXPECT_EQ(changes, 2) << "plus at Max still fires OnChange";
    TvxRect minusRect = minus->AbsoluteRect();
    click((minusRect.Left + minusRect.Right) / 2, (minusRect.Top + minusRect.Bottom) / 2);
    EXPECT_EQ(spin->Value(), 19);
    EXPECT_EQ(changes, 3);

    key(platform::VK_UP);
    EXPECT_EQ(spin->Value(), 20);
    key(platform::VK_DOWN);
    key(platform::VK_DOWN);
    EXPECT_EQ(spin->Value(), 18);
    EXPECT_EQ(spin->Text(), "18");
    EXPECT_EQ(changes, 3) << "Up and Down fire no OnChange";
}
