// SPDX-License-Identifier: GPL-3.0-or-later
// The widget's face in real pixels: the day's high on one line inside the
// today panel, clear of the other texts, and the notices drawn whole and
// uncovered. Each text's glyphs are found by drawing the scene with and
// without it.

#include "app/FormWeather.h"
#include "app/RenderWidget.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/host/TvxBackground.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/app/WidgetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace nimbrell;

namespace {

struct Box {
    int left { 1 << 20 }, top { 1 << 20 }, right { -1 }, bottom { -1 };
    bool Empty() const { return right < 0; }
    bool Meets(const Box& other) const
    {
        // Touching counts: boxes one pixel apart still meet.
        return left <= other.right && other.left <= right && top <= other.bottom && other.top <= bottom;
    }
};

// The texts are light grey on a dark halo: a glyph pixel is a light, grey,
// mostly opaque one (the pictures' yellows and blues are not grey).
bool light(std::uint32_t pixel)
{
    int a = static_cast<int>(pixel >> 24), r = static_cast<int>((pixel >> 16) & 0xFF), g = static_cast<int>((pixel >> 8) & 0xFF),
        b = static_cast<int>(pixel & 0xFF);
    return a > 160 && r > 150 && g > 150 && b > 150 && std::abs(r - b) < 40;
}

std::vector<std::uint32_t> pixels(TFormWeather& form)
{
    form.Scene().DrawAll();
    const TvxBitmap& buffer = form.Scene().Buffer();
    std::vector<std::uint32_t> out;
    for (int y = 0; y < buffer.Height(); ++y) {
        for (int x = 0; x < buffer.Width(); ++x)
            out.push_back(buffer.Pixel(x, y));
    }
    return out;
}

class WidgetFaceTest : public nimbrell::testing::WidgetFixture {
protected:
    static constexpr int width = TFormWeather::kClientWidth;

    // The light pixels that go when the element is hidden: its glyphs.
    Box glyphs(TFormWeather& form, TvxVisualObject& element, const std::vector<std::uint32_t>& whole)
    {
        element.SetVisible(false);
        auto without = pixels(form);
        element.SetVisible(true);
        Box box;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (!light(whole[i]) || light(without[i]))
                continue;
            int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
            box = { std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y) };
        }
        return box;
    }

    // A form whose worker answers at once with six days of `wenDu` and `fengLi`.
    static TFormWeather::WeatherWorkerStarter answering(std::string wenDu, std::string fengLi)
    {
        return [=](WeatherRequest request) {
            (*request.reports->LockFor(request.requestNumber))->assign(6, TInfo { "雷阵雨伴有冰雹", wenDu, fengLi });
            platform::PostMessage(request.window, kWeatherReadyMessage, static_cast<platform::WPARAM>(request.requestNumber), 1);
        };
    }
};

// The today panel, in window pixels at scale 1.
constexpr Box todayPanel { 11, 7, 236, 126 };

bool inside(const Box& box, const Box& area)
{
    return box.left >= area.left && box.top >= area.top && box.right <= area.right && box.bottom <= area.bottom;
}

}

TEST_F(WidgetFaceTest, EveryHighReadsOnOneLineInsideTheTodayPanelClearOfTheOtherTexts)
{
    for (int high = -40; high <= 50; high += 5) {
        std::string wenDu = std::to_string(high) + "℃~" + std::to_string(high - 5) + "℃";
        TFormWeather form(answering(wenDu, "西北风4-5级转3-4级"));
        RenderWidget(form, temp / "widget.png");
        const WidgetScene& widget = form.Widget();
        ASSERT_EQ(widget.text_wenDu->Text(), std::to_string(high) + "℃~");
        auto whole = pixels(form);
        Box ink = glyphs(form, *widget.text_wenDu, whole);
        ASSERT_FALSE(ink.Empty()) << wenDu;
        EXPECT_TRUE(inside(ink, todayPanel)) << wenDu << " at " << ink.left << "," << ink.top << "–" << ink.right << "," << ink.bottom;
        EXPECT_LE(ink.bottom - ink.top, 26) << wenDu << ": one line of a 26-pixel face";
        for (TvxText* other : { widget.text_wenDu_2, widget.text_weather, widget.text_Wind }) {
            Box otherInk = glyphs(form, *other, whole);
            ASSERT_FALSE(otherInk.Empty()) << other->Text();
            EXPECT_FALSE(ink.Meets(otherInk)) << wenDu << " touches " << other->Text();
        }
    }
}

TEST_F(WidgetFaceTest, TheNoticesAreDrawnWholeAndUncovered)
{
    // The notices alone, with nothing else on the panel, against the whole widget.
    for (bool fails : { true, false }) {
        auto start = [fails](WeatherRequest request) {
            if (fails)
                platform::PostMessage(request.window, kWeatherFailedMessage, static_cast<platform::WPARAM>(request.requestNumber), 1);
        };
        TFormWeather form(start);
        application.ProcessMessages();
        const WidgetScene& widget = form.Widget();
        EXPECT_EQ(widget.text_Wind->Text(), fails ? "获取失败,一分钟后重新获取!" : "正在获取天气信息...");
        // The loading notice stays: no answer comes to wait for.
        FinishAllAnimations();
        auto whole = pixels(form);
        Box ink = glyphs(form, *widget.text_Wind, whole);
        ASSERT_FALSE(ink.Empty());
        EXPECT_TRUE(inside(ink, todayPanel)) << ink.left << "," << ink.top << "–" << ink.right << "," << ink.bottom;

        widget.Image1->SetVisible(false);
        auto alone = pixels(form);
        std::size_t covered = 0, drawn = 0;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
            if (x < ink.left || x > ink.right || y < ink.top || y > ink.bottom || !light(alone[i]))
                continue;
            ++drawn;
            covered += !light(whole[i]);
        }
        EXPECT_GT(drawn, 100u);
        EXPECT_EQ(covered, 0u) << "the picture lies under the notice, never over it";
        // Whole: as wide as the text laid out on one line, nothing cut at the box's edges.
        EXPECT_GT(ink.left, 11 + 2);
        EXPECT_GT(ink.right - ink.left, fails ? 120 : 90);
    }
}
