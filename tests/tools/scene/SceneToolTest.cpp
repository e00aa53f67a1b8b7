// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real nimbrell-scene executable on files.

#include "scene/render/TvxBitmap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class SceneToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / ("scene_tool_" + std::to_string(::getpid()));
        fs::create_directories(dir / "art");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const fs::path& name, const std::string& content)
    {
        std::ofstream(dir / name, std::ios::binary) << content;
    }
    std::string Read(const fs::path& name)
    {
        std::ifstream in(dir / name, std::ios::binary);
        return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
    }
    // Exit status of the tool; its error output in `errors`.
    int Run(const std::string& arguments)
    {
        std::string command = std::string(NIMBRELL_SCENE_TOOL) + " " + arguments + " 2> '" + (dir / "errors").string() + "'";
        int status = std::system(command.c_str());
        errors = Read("errors");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Path(const char* name) { return "'" + (dir / name).string() + "'"; }

    fs::path dir;
    std::string errors;
};

const char* kScene = "object Styles: TvxObject\n"
                     "  ResourceName = 'styles'\n"
                     "  object Accent: TvxBrushObject\n"
                     "    ResourceName = 'accent'\n"
                     "    Brush.Color = '#FFEBA335'\n"
                     "  end\n"
                     "  object TvxBrushObject\n"
                     "    BindingName = '后天'\n"
                     "    Brush.Bitmap.Bitmap.PNG = @include 'art/tile.png'\n"
                     "    Brush.Bitmap.WrapMode = vgWrapTileStretch\n"
                     "    Brush.Style = vgBrushBitmap\n"
                     "  end\n"
                     "  object TvxBrushObject\n"
                     "    Brush.Style = vgBrushGradient\n"
                     "    Brush.Gradient.Points = <\n"
                     "      item\n"
                     "        Color = '#FF000000'\n"
                     "      end\n"
                     "      item\n"
                     "        Color = '#80FFFFFF'\n"
                     "        Offset = 0.75\n"
                     "      end>\n"
                     "    Brush.Gradient.Style = vgRadialGradient\n"
                     "    Brush.Gradient.RadialTransform.RotateAngle = 12.5\n"
                     "  end\n"
                     "end\n";

TEST_F(SceneToolTest, CompileDecompileCompileGivesTheSameBytes)
{
    Write("scene.txt", kScene);
    // A real picture: the compiled form holds it as decoded and encoded again.
    fs::copy_file(fs::path(NIMBRELL_SCENE_TOOL_DATA) / "tile.png", dir / "art/tile.png");
    ASSERT_EQ(Run("compile " + Path("scene.txt") + " " + Path("scene.bin")), 0) << errors;
    std::string binary = Read("scene.bin");
    ASSERT_EQ(binary.substr(0, 4), "TPF0");
    EXPECT_NE(binary.find(std::string("\x89PNG\r\n\x1a\n", 8)), std::string::npos);

    ASSERT_EQ(Run("decompile " + Path("scene.bin") + " " + Path("again.txt")), 0) << errors;
    std::string text = Read("again.txt");
    EXPECT_NE(text.find("BindingName = '后天'"), std::string::npos) << text;
    EXPECT_NE(text.find("Brush.Bitmap.Bitmap.PNG = {\n      89504E470D0A1A0A"), std::string::npos) << text;
    ASSERT_EQ(Run("compile " + Path("again.txt") + " " + Path("again.bin")), 0) << errors;
    EXPECT_EQ(Read("again.bin"), binary);
}

TEST_F(SceneToolTest, CompileWritesTheCanonicalForm)
{
    // Defaults and zero floats are dropped, integers written into floats become floats.
    Write("loose.txt", "object TvxBrushObject\n"
                       "  Brush.Style = vgBrushSolid\n"
                       "  Brush.Color = 'Red'\n"
                       "  Brush.Gradient.Points = <\n"
                       "    item\n"
                       "      Offset = 1\n"
                       "    end>\n"
                       "end\n");
    ASSERT_EQ(Run("compile " + Path("loose.txt") + " " + Path("loose.bin")), 0) << errors;
    ASSERT_EQ(Run("decompile " + Path("loose.bin") + " " + Path("loose.out")), 0) << errors;
    EXPECT_EQ(Read("loose.out"), "object TvxBrushObject\n  Brush.Color = '#FFFF0000'\nend\n");
}

TEST_F(SceneToolTest, ReaderAndSyntaxErrorsFailWithMessageAndLine)
{
    struct Row {
        const char* text;
        const char* error;
    };
    const Row rows[] = {
        { "object X: TvxObject\n  ResourceName = 'a'\n  Nothing = 1\nend\n", "bad.txt:3: Property Nothing does not exist" },
        { "object X: TvxObject\n  object Y: TMissing\n  end\nend\n", "bad.txt:2: Class TMissing not found" },
        { "object X: TMissing\nend\n", "bad.txt:1: Class TMissing not found" },
        { "object X: TvxObject\n  object Y: TvxObject\n  end\n  object Y: TvxObject\n  end\nend\n",
            "bad.txt:4: A component named Y already exists" },
        { "object X: TvxBrushObject\n\n  Brush.Style = vgBrushOdd\nend\n", "bad.txt:3: Invalid property value" },
        { "object X: TvxObject\n  ResourceName.X = 1\nend\n", "bad.txt:2: Invalid property path" },
        { "object X: TvxObject\n  ResourceName 'a'\nend\n", "bad.txt:2: expected '='" },
        { "object X: TvxObject\n  B = @include 'missing.png'\nend\n", "bad.txt:2: " },
    };
    for (const Row& row : rows) {
        Write("bad.txt", row.text);
        fs::remove(dir / "bad.bin");
        EXPECT_EQ(Run("compile " + Path("bad.txt") + " " + Path("bad.bin")), 1) << row.text;
        EXPECT_NE(errors.find(row.error), std::string::npos) << errors;
        EXPECT_FALSE(fs::exists(dir / "bad.bin"));
    }
    Write("bad.bin", "TPF1");
    EXPECT_EQ(Run("decompile " + Path("bad.bin") + " " + Path("bad.out")), 1);
    EXPECT_NE(errors.find("Invalid stream format"), std::string::npos) << errors;
    EXPECT_EQ(Run("frobnicate"), 2);
}

// Straight-alpha channels of a premultiplied pixel.
int Channel(std::uint32_t pixel, int shift)
{
    int alpha = int(pixel >> 24);
    int value = int(pixel >> shift & 0xFF);
    return shift == 24 || alpha == 0 ? value : value * 255 / alpha;
}

TEST_F(SceneToolTest, RendersAStoredSceneLikeItsReference)
{
    fs::path data = NIMBRELL_SCENE_TOOL_DATA;
    fs::copy_file(data / "panel.txt", dir / "panel.txt");
    fs::copy_file(data / "tile.png", dir / "tile.png");
    ASSERT_EQ(Run("render " + Path("panel.txt") + " " + Path("panel.png") + " --scale 2"), 0) << errors;

    nimbrell::TvxBitmap rendered, reference;
    ASSERT_TRUE(rendered.LoadFromFile(dir / "panel.png"));
    ASSERT_TRUE(reference.LoadFromFile(data / "panel-reference.png"));
    ASSERT_EQ(rendered.Width(), 320);
    ASSERT_EQ(rendered.Height(), 200);
    // Shapes are exact; glyph edges may move a little with font versions, so only the
    // title's box may differ, and only in part.
    const nimbrell::TvxRect title { 8, 4, 248, 36 };
    int differingInTitle = 0, differingElsewhere = 0;
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 320; ++x) {
            const bool inTitle = x >= title.Left && x < title.Right && y >= title.Top && y < title.Bottom;
            for (int shift : { 0, 8, 16, 24 }) {
                if (std::abs(Channel(rendered.Pixel(x, y), shift) - Channel(reference.Pixel(x, y), shift)) > (inTitle ? 24 : 2)) {
                    ++(inTitle ? differingInTitle : differingElsewhere);
                    break;
                }
            }
        }
    }
    EXPECT_EQ(differingElsewhere, 0);
    EXPECT_LT(differingInTitle, int(title.Width() * title.Height()) / 8);
    // Probes that follow from the scene: the background, the sun's fill.
    EXPECT_EQ(rendered.Pixel(120, 160), 0xFF203040u);
    EXPECT_EQ(rendered.Pixel(64, 104), 0xFFFFC020u);
    // Transparent where nothing is painted: below the panel's rounded corner.
    EXPECT_EQ(rendered.Pixel(0, 199), 0u);
    EXPECT_EQ(rendered.Pixel(200, 100) >> 24, 0xFFu);

    EXPECT_EQ(Run("render " + Path("panel.txt") + " " + Path("small.png") + " --size 80x50"), 0) << errors;
    ASSERT_TRUE(rendered.LoadFromFile(dir / "small.png"));
    EXPECT_EQ(rendered.Width(), 80);
    EXPECT_EQ(Run("render " + Path("panel.txt") + " " + Path("bad.png") + " --size 80"), 2);
    EXPECT_EQ(Run("render " + Path("panel.txt") + " " + Path("bad.png") + " --scale 0"), 1);
    EXPECT_NE(errors.find("scale"), std::string::npos) << errors;
}

}

namespace {

// The animations the styles start run to their end before the picture is painted (the
// check mark is shown); the looping shine of the progress bar stays at its start, left of
// the bar, so the render ends.
TEST_F(SceneToolTest, RendersStyledControlsWithTheirAnimationsFinished)
{
    ASSERT_EQ(Run("render '" + std::string(NIMBRELL_SCENE_TOOL_DATA) + "/controls.txt' " + Path("controls.png")), 0) << errors;
    nimbrell::TvxBitmap rendered;
    ASSERT_TRUE(rendered.LoadFromFile(dir / "controls.png"));
    auto near = [](std::uint32_t pixel, std::uint32_t expected) {
        for (int shift : { 0, 8, 16, 24 }) {
            if (std::abs(Channel(pixel, shift) - Channel(expected, shift)) > 8)
                return false;
        }
        return true;
    };
    EXPECT_PRED2(near, rendered.Pixel(126, 26), 0xFFF5AB28u);
    EXPECT_PRED2(near, rendered.Pixel(60, 60), 0xFFCA9F40u);
    EXPECT_PRED2(near, rendered.Pixel(150, 60), 0xFF484848u);
}

}
