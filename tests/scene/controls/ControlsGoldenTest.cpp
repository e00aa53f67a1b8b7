// SPDX-License-Identifier: GPL-3.0-or-later
// Styled controls painted through the whole pipeline and compared with committed
// reference pictures (tests/support/GoldenImage.h), plus a few pixels derived by hand
// from the default style sheet.

#include "tests/scene/controls/ControlScene.h"

#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/render/TvxBitmap.h"
#include "tests/support/GoldenImage.h"

using namespace nimbrell;
using nimbrell::testing::Channel;

namespace {

const std::filesystem::path goldenFolder = NIMBRELL_GOLDEN_DIR;

struct Probe {
    int x;
    int y;
    std::uint32_t colour;
};

class ControlsGoldenTest : public nimbrell::testing::ControlScene {
protected:
    void SetUp() override
    {
        ControlScene::SetUp();
        root->Fill().SetStyle(TvxBrushStyle::vgBrushSolid);
        root->Fill().SetSolidColor(0xFF2B2B2B);
    }

    // Paints width × height of the scene once the started animations have ended.
    void expectPicture(const char* name, int width, int height, std::initializer_list<Probe> probes)
    {
        frame();
        advance(300);
        scene->SetSize(width, height);
        frame();
        TvxBitmap& painted = scene->Buffer();
        for (const Probe& probe : probes) {
            std::uint32_t pixel = painted.Pixel(probe.x, probe.y);
            for (int shift : { 0, 8, 16, 24 })
                EXPECT_NEAR(Channel(pixel, shift), Channel(probe.colour, shift), 8)
                    << name << " at (" << probe.x << ", " << probe.y << "): " << std::hex << pixel;
        }
        nimbrell::testing::ExpectLikeReference(painted, goldenFolder / (std::string(name) + ".png"), 3);
    }
};

// The button's background runs from its fill colour at the top to #303030 at the bottom
// (26 px here); the probes sit 2 px below the top edge, where the top colour dominates:
// c × 23/25 + 0x30 × 2/25 inside the 1 px stroke.
TEST_F(ControlsGoldenTest, ButtonAtRest)
{
    add<TvxButton>(6, 6, 88, 26)->SetText("Save");
    expectPicture("button-rest", 100, 38, { { 10, 9, 0xFF4D4D4D }, { 50, 37, 0xFF2B2B2B } });
}

TEST_F(ControlsGoldenTest, ButtonHovered)
{
    add<TvxButton>(6, 6, 88, 26)->SetText("Save");
    frame();
    scene->MouseMove(0, 50, 20);
    expectPicture("button-hover", 100, 38, { { 10, 9, 0xFF6A6A6A } });
}

TEST_F(ControlsGoldenTest, ButtonPressed)
{
    add<TvxButton>(6, 6, 88, 26)->SetText("Save");
    frame();
    scene->MouseMove(0, 50, 20);
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, 50, 20);
    expectPicture("button-pressed", 100, 38, { { 10, 9, 0xFF3F3F3F } });
}

// Box 15 × 15 centred in the 20-wide left column (x 6.5–21.5, y 6–21 for the first box)
// with its gradient #606060 → #303030 at 0.6 of its height about #424242; the tick fills
// the 11 × 11 box in its middle and its thick lower stroke is #F5AB28.
TEST_F(ControlsGoldenTest, CheckBoxes)
{
    add<TvxCheckBox>(4, 4, 110, 19)->SetText("Unchecked");
    auto* checked = add<TvxCheckBox>(4, 28, 110, 19);
    checked->SetText("Checked");
    checked->SetIsChecked(true);
    expectPicture("check-boxes", 120, 52, { { 10, 16, 0xFF424242 }, { 10, 40, 0xFFF5AB28 } });
}

TEST_F(ControlsGoldenTest, CloseButton)
{
    add<TvxCloseButton>(6, 6, 20, 20);
    expectPicture("close-button", 32, 32, { { 16, 10, 0xFFA5A5A5 }, { 2, 2, 0xFF2B2B2B } });
}

// 200 wide, indicator (200 − 4) × fraction from x 2: 0 %: none; 50 %: x 2–100; 100 %:
// x 2–198. Its gradient runs #F5CD76 → #9F7009 over y 2–18 of the 20-high track.
TEST_F(ControlsGoldenTest, ProgressBars)
{
    for (int i = 0; i < 3; ++i)
        add<TvxProgressBar>(4, 4 + 26 * i, 200, 20)->SetValue(50.0f * i);
    expectPicture("progress-bars", 208, 80,
        { { 150, 14, 0xFF484848 }, { 90, 40, 0xFFCA9F40 }, { 150, 40, 0xFF484848 }, { 150, 66, 0xFFCA9F40 } });
}

TEST_F(ControlsGoldenTest, Labels)
{
    add<TvxLabel>(4, 4, 120, 15)->SetText("A label");
    add<TvxHudLabel>(4, 24, 120, 15)->SetText("天气 HUD");
    expectPicture("labels", 128, 44, { { 2, 2, 0xFF2B2B2B } });
}

}
