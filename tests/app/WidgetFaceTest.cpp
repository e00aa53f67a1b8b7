// SPDX-License-Identifier: GPL-3.0-or-later
// The widget's face in real pixels: the day's high on one line inside the
// today panel, clear of the other texts, the low drawn whole with its halo,
// the row of the place and the conditions now and the air chip clear of every
// other text, and the notices drawn whole and uncovered. Each text's glyphs
// are found by drawing the scene with and without it.

#include "app/FormWeather.h"
#include "app/RenderWidget.h"
#include "scene/anim/TvxAniThread.h"
#include "scene/host/TvxBackground.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "tests/app/WidgetFixture.h"
#include "weather/AirQualityThread.h"

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

// A pixel of a text in any of the widget's colours (the place's orange
// included), as opposed to its dark halo.
bool bright(std::uint32_t pixel)
{
    int a = static_cast<int>(pixel >> 24), r = static_cast<int>((pixel >> 16) & 0xFF), g = static_cast<int>((pixel >> 8) & 0xFF),
        b = static_cast<int>(pixel & 0xFF);
    return a > 160 && std::max({ r, g, b }) > 150;
}

// A pixel of the halo: dark and mostly opaque.
bool dark(std::uint32_t pixel)
{
    int a = static_cast<int>(pixel >> 24), r = static_cast<int>((pixel >> 16) & 0xFF), g = static_cast<int>((pixel >> 8) & 0xFF),
        b = static_cast<int>(pixel & 0xFF);
    return a > 110 && std::max({ r, g, b }) < 90;
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

    enum class Ink {
        Light,   // light grey glyphs, which the pictures never are
        Bright,  // bright glyphs of any colour that change when the element goes
        Painted, // anything the element paints, its halo included
    };

    // The pixels that go when the element is hidden: its glyphs (or all it paints).
    Box glyphs(TFormWeather& form, TvxVisualObject& element, const std::vector<std::uint32_t>& whole, Ink ink = Ink::Light)
    {
        element.SetVisible(false);
        auto without = pixels(form);
        element.SetVisible(true);
        Box box;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            bool gone = ink == Ink::Light ? light(whole[i]) && !light(without[i])
                : ink == Ink::Bright      ? bright(whole[i]) && whole[i] != without[i]
                                          : whole[i] != without[i];
            if (!gone)
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

    // The same with the widest row: a temperature now, the time, and the longest grade's chip.
    static TFormWeather::WeatherWorkerStarter answeringWithAir(std::string wenDu)
    {
        return [=](WeatherRequest request) {
            auto number = static_cast<platform::WPARAM>(request.requestNumber);
            {
                auto records = request.reports->LockFor(request.requestNumber);
                (*records)->assign(6, TInfo { "雷阵雨伴有冰雹", wenDu, "西北风4-5级转3-4级" });
                CurrentConditions now;
                now.time = "2026-12-11T22:58";
                now.temperature = -38.2;
                records->Extras().current = now;
                AirQualityIndex air;
                air.aqi = 288;
                air.primary = { Pollutant::PM2_5 };
                air.pm25Mean = 238;
                records->Extras().air = air;
            }
            platform::PostMessage(request.window, kWeatherReadyMessage, number, 1);
            platform::PostMessage(request.window, kAirQualityMessage, number, 1);
        };
    }
};

// The today panel with its row of the place and the air, in window pixels at scale 1.
constexpr Box todayPanel { 11, 7, 236, 150 };

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

TEST_F(WidgetFaceTest, EveryLowIsDrawnWholeWithItsHaloInsideTheTodayPanel)
{
    for (int low = -40; low <= 50; low += 5) {
        std::string lowText = std::to_string(low) + "℃";
        TFormWeather form(answering(std::to_string(low + 5) + "℃~" + lowText, "微风"));
        RenderWidget(form, temp / "widget.png");
        TvxText& element = *form.Widget().text_wenDu_2;
        ASSERT_EQ(element.Text(), lowText);
        auto whole = pixels(form);
        Box ink = glyphs(form, element, whole);
        Box painted = glyphs(form, element, whole, Ink::Painted);
        ASSERT_FALSE(ink.Empty()) << lowText;
        EXPECT_TRUE(inside(ink, todayPanel)) << lowText << " ends at " << ink.right;
        // Cut neither by its own box nor by the halo's: on every line of the glyphs the
        // halo follows the last light pixel, on both sides (on the left it meets the high's).
        TvxRect box = element.AbsoluteRect();
        EXPECT_LT(ink.right, int(box.Right) - 1) << lowText << " reaches its box's edge";
        EXPECT_GE(painted.right - ink.right, 1) << lowText << ": nothing is drawn past the glyphs";
        for (int side : { -1, 1 }) {
            int lines = 0, haloed = 0;
            for (int y = ink.top; y <= ink.bottom; ++y) {
                int last = -1;
                for (int x = ink.left; x <= ink.right; ++x) {
                    if (light(whole[std::size_t(y * width + x)]) && (last < 0 || (side > 0) == (x > last)))
                        last = x;
                }
                if (last < 0)
                    continue;
                ++lines;
                bool found = false;
                for (int step = 1; step <= 3 && !found; ++step)
                    found = dark(whole[std::size_t(y * width + last + side * step)]);
                haloed += found;
            }
            EXPECT_GE(haloed * 10, lines * 9) << lowText << (side > 0 ? ": the halo is cut on the right" : ": no halo on the left");
        }
        EXPECT_GT(ink.right - ink.left, 14) << lowText << " is drawn whole";
    }
}

TEST_F(WidgetFaceTest, TheRowAndTheChipStayInsideThePanelClearOfEveryOtherText)
{
    // The longest place name, the widest temperature now, the longest grade.
    writeSettings("cityCode=101130108\n");
    for (const char* wenDu : { "-40℃~-45℃", "50℃~45℃" }) {
        TFormWeather form(answeringWithAir(wenDu));
        RenderWidget(form, temp / "widget.png");
        const WidgetScene& widget = form.Widget();
        ASSERT_EQ(widget.text_city->Text(), "乌鲁木齐牧试站");
        ASSERT_EQ(widget.text_now->Text(), "现在 -38℃");
        ASSERT_EQ(widget.text_updated->Text(), "22:58 更新");
        ASSERT_TRUE(widget.AirChip->Visible());
        ASSERT_EQ(widget.text_air->Text(), "重度污染 288");
        auto whole = pixels(form);
        std::vector<std::pair<TvxVisualObject*, Box>> texts;
        for (TvxText* text : { widget.text_wenDu, widget.text_wenDu_2, widget.text_weather, widget.text_Wind, widget.text_city,
                 widget.text_now, widget.text_updated, widget.text_air }) {
            Box ink = glyphs(form, *text, whole, Ink::Bright);
            ASSERT_FALSE(ink.Empty()) << text->Text();
            EXPECT_TRUE(inside(ink, todayPanel)) << text->Text() << " at " << ink.left << "," << ink.top << "–" << ink.right << ","
                                                 << ink.bottom;
            texts.emplace_back(text, ink);
        }
        TvxRect chipRect = widget.AirChip->AbsoluteRect();
        Box chip { int(chipRect.Left), int(chipRect.Top), int(chipRect.Right) - 1, int(chipRect.Bottom) - 1 };
        EXPECT_TRUE(inside(chip, todayPanel));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            for (std::size_t j = i + 1; j < texts.size(); ++j) {
                EXPECT_FALSE(texts[i].second.Meets(texts[j].second))
                    << wenDu << ": " << static_cast<TvxText*>(texts[i].first)->Text() << " touches "
                    << static_cast<TvxText*>(texts[j].first)->Text();
            }
            if (texts[i].first != widget.text_air) {
                EXPECT_FALSE(texts[i].second.Meets(chip)) << static_cast<TvxText*>(texts[i].first)->Text() << " touches the chip";
            }
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
