// A text box and a spin box in a real window, driven by the real keyboard,
// mouse and clipboard.
#include "platform/Application.h"
#include "platform/gtk/GtkBackend.h"
#include "scene/controls/SceneControlClasses.h"
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxSpinBox.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxScene.h"
#include "tests/support/Desktop.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

class TextBoxDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterSceneControlClasses();
        auto backend = platform::CreateGtkBackend();
        ASSERT_TRUE(backend) << "no X display";
        application = std::make_unique<platform::Application>(std::move(backend));
        window = std::make_unique<SceneWindow>(240, 90);
        TvxScene& scene = window->Scene();
        scene.SetTransparency(true);
        auto* root = new TvxBackground(nullptr);
        root->Fill().Assign(TvxBrush(TvxBrushStyle::vgBrushSolid, 0xFF2B2B2B));
        root->SetBounds(0, 0, 240, 90);
        scene.AddObject(root);
        text = new TvxTextBox(nullptr);
        text->SetBounds(10, 10, 200, 22);
        root->AddObject(text);
        spin = new TvxSpinBox(nullptr);
        spin->SetBounds(10, 50, 107, 22);
        spin->SetMax(20);
        spin->SetValue(15);
        root->AddObject(spin);
        window->Move(200, 200);
        window->Show();
        PumpFor(400ms);
    }

    std::unique_ptr<platform::Application> application;
    std::unique_ptr<SceneWindow> window;
    TvxTextBox* text { nullptr };
    TvxSpinBox* spin { nullptr };
};

}

TEST_F(TextBoxDesktopTest, TypingAndPastingIntoATextBox)
{
    int changes = 0;
    text->OnChange.Set([&](TvxObject*) { ++changes; });
    RunCommand("xdotool mousemove 300 220 click 1");
    ASSERT_TRUE(PumpUntil([&] { return text->IsFocused(); }));
    RunCommand("xdotool type 'Hi there'");
    ASSERT_TRUE(PumpUntil([&] { return text->Text() == "Hi there"; })) << text->Text();

    RunCommand("printf ' 天气\\nnext' | xclip -selection clipboard -loops 1 &");
    PumpFor(300ms);
    RunCommand("xdotool key ctrl+v");
    EXPECT_TRUE(PumpUntil([&] { return text->Text() == "Hi there 天气 next"; }, 5s)) << text->Text();
    RunCommand("xdotool key Return");
    EXPECT_TRUE(PumpUntil([&] { return changes == 1; }));
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
    ASSERT_TRUE(PumpUntil([&] { return spin->Value() == 16; })) << spin->Value();
    RunCommand("xdotool mousemove " + centre(minus) + " click --repeat 3 --delay 600 1");
    EXPECT_TRUE(PumpUntil([&] { return spin->Value() == 13; })) << spin->Value();
    EXPECT_EQ(spin->Text(), "13");
    EXPECT_EQ(changes, 4);
}
