// SPDX-License-Identifier: GPL-3.0-or-later
// A text box and a spin box in a real window, driven by the real keyboard,
// mouse and clipboard.
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxSpinBox.h"
#include "tests/scene/controls/DesktopControlScene.h"

using namespace nimbrell;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

class TextBoxDesktopTest : public DesktopControlScene {
protected:
    void SetUp() override
    {
        open(240, 90, 200, 200, [this](TvxBackground& root) {
            text = new TvxTextBox(nullptr);
            text->SetBounds(10, 10, 200, 22);
            root.AddObject(text);
            spin = new TvxSpinBox(nullptr);
            spin->SetBounds(10, 50, 107, 22);
            spin->SetMax(20);
            spin->SetValue(15);
            root.AddObject(spin);
        });
    }

    TvxTextBox* text { nullptr };
    TvxSpinBox* spin { nullptr };
};

}

namespace {

// The X window that owns the clipboard now, as a number (0: none).
std::string clipboardOwner()
{
    FILE* pipe = popen("/usr/bin/python3 -c 'from Xlib import display; d = display.Display(); "
                       "print(d.get_selection_owner(d.intern_atom(\"CLIPBOARD\")))'",
        "r");
    std::string owner;
    if (!pipe)
        return owner;
    char buffer[64];
    while (fgets(buffer, sizeof buffer, pipe))
        owner += buffer;
    pclose(pipe);
    return owner;
}

}

TEST_F(TextBoxDesktopTest, TypingAndPastingIntoATextBox)
{
    int changes = 0;
    text->OnChange.Set([&](TvxObject*) { ++changes; });
    RunCommand("xdotool mousemove 300 220 click 1");
    ASSERT_TRUE(WaitFor([&] { return text->IsFocused(); }, Pump::Loop));
    RunCommand("xdotool type 'Hi there'");
    ASSERT_TRUE(WaitFor([&] { return text->Text() == "Hi there"; }, Pump::Loop)) << text->Text();

    std::string before = clipboardOwner();
    RunCommand("printf ' 天气\\nnext' | xclip -selection clipboard -loops 1 &");
    ASSERT_TRUE(WaitFor([&] { return clipboardOwner() != before; })) << "xclip holds the clipboard";
    RunCommand("xdotool key ctrl+v");
    EXPECT_TRUE(WaitFor([&] { return text->Text() == "Hi there 天气 next"; }, 5s, Pump::Loop)) << text->Text();
    RunCommand("xdotool key Return");
    EXPECT_TRUE(WaitFor([&] { return changes == 1; }, Pump::Loop));
}

TEST_F(TextBoxDesktopTest, SpinBoxButtonsStepTheValue)
{
    int changes = 0;
    spin->OnChange.Set([&](TvxObject*) { ++changes; });
    auto* plus = dynamic_cast<TvxVisualObject*>(spin->FindResource("plusbutton"));
    auto* minus = dynamic_cast<TvxVisualObject*>(spin->FindResource("minusbutton"));
    ASSERT_TRUE(plus && minus);
    auto centre = [&](TvxVisualObject* button) {
        TvxRect rect = button->AbsoluteRect();
        return std::to_string(200 + static_cast<int>((rect.Left + rect.Right) / 2)) + " "
            + std::to_string(200 + static_cast<int>((rect.Top + rect.Bottom) / 2));
    };
    RunCommand("xdotool mousemove " + centre(plus) + " click 1");
    ASSERT_TRUE(WaitFor([&] { return spin->Value() == 16; }, Pump::Loop)) << spin->Value();
    RunCommand("xdotool mousemove " + centre(minus) + " click --repeat 3 --delay 600 1");
    EXPECT_TRUE(WaitFor([&] { return spin->Value() == 13; }, Pump::Loop)) << spin->Value();
    EXPECT_EQ(spin->Text(), "13");
    EXPECT_EQ(changes, 4);
}
