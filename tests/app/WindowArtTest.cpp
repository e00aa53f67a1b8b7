// SPDX-License-Identifier: GPL-3.0-or-later
// The settings and update windows' artwork on a screen of twice the density: drawn
// from the pictures of twice the density, frames keeping their margins and tiles
// their period in units, at scale 1 exactly as without those pictures, and back at
// scale 1 exactly as before.

#include "app/FormConfig.h"
#include "app/FormUpdate.h"
#include "app/FormWeather.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/render/TvxBitmap.h"
#include "scene/shapes/TvxImage.h"
#include "scene/shapes/TvxRectangle.h"
#include "tests/app/WidgetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

using namespace nimbrell;

namespace {

TvxObject* findObject(TvxObject& parent, std::string_view name)
{
    if (parent.Name() == name)
        return &parent;
    for (int i = 0; i < parent.ChildrenCount(); ++i) {
        if (TvxObject* found = findObject(*parent.Child(i), name))
            return found;
    }
    return nullptr;
}

template<typename T>
T& sceneObject(SceneWindow& window, std::string_view name)
{
    for (TvxObject* root : window.Scene().Roots()) {
        if (auto* found = dynamic_cast<T*>(findObject(*root, name)))
            return *found;
    }
    ADD_FAILURE() << "no " << name;
    throw std::runtime_error("missing scene object");
}

std::unique_ptr<TvxBitmap> painted(SceneWindow& window)
{
    window.Scene().DrawAll();
    auto copy = std::make_unique<TvxBitmap>();
    copy->Assign(window.Scene().Buffer());
    return copy;
}

bool samePixels(const TvxBitmap& a, const TvxBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    return std::equal(a.ConstBits(), a.ConstBits() + std::size_t(a.Width()) * std::size_t(a.Height()), b.ConstBits());
}

bool differs(std::uint32_t p, std::uint32_t q, int tolerance)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF)) > tolerance)
            return true;
    }
    return false;
}

// Device pixels of the area (in pixels) whose channels differ by more than 8.
int differing(const TvxBitmap& a, const TvxBitmap& b, const TvxRect& area)
{
    int count = 0;
    for (int y = int(area.Top); y < int(area.Bottom); ++y) {
        for (int x = int(area.Left); x < int(area.Right); ++x)
            count += differs(a.Pixel(x, y), b.Pixel(x, y), 8);
    }
    return count;
}

// The mean square difference of horizontally neighbouring pixels' channels over the
// area. Enlarging spreads a step over two pixels of half its height, which halves
// it; detail drawn at the device's pixels keeps its steps a pixel wide.
double sharpness(const TvxBitmap& picture, const TvxRect& area)
{
    double sum = 0;
    int count = 0;
    for (int y = int(area.Top); y < int(area.Bottom); ++y) {
        for (int x = int(area.Left); x + 1 < int(area.Right); ++x) {
            std::uint32_t p = picture.Pixel(x, y), q = picture.Pixel(x + 1, y);
            for (int shift = 0; shift < 32; shift += 8) {
                const int step = int(p >> shift & 0xFF) - int(q >> shift & 0xFF);
                sum += step * step;
            }
            ++count;
        }
    }
    return count ? sum / count : 0;
}

// The 2 x 2 blocks of the area (even pixels) whose pixels are not all alike: a
// picture enlarged without interpolation has none, one drawn at the device's
// pixels many along its edges and rims.
int mixedBlocks(const TvxBitmap& picture, const TvxRect& area)
{
    int count = 0;
    for (int y = int(area.Top) & ~1; y + 1 < int(area.Bottom); y += 2) {
        for (int x = int(area.Left) & ~1; x + 1 < int(area.Right); x += 2) {
            const std::uint32_t a = picture.Pixel(x, y);
            count += differs(picture.Pixel(x + 1, y), a, 2) || differs(picture.Pixel(x, y + 1), a, 2) || differs(picture.Pixel(x + 1, y + 1), a, 2);
        }
    }
    return count;
}

// Pixels of the painted block at (x, y) that are not the picture's block at
// (sx, sy), both w × h. A level or two is left to the faint glows of texts and
// buttons that reach over the artwork.
int mismatches(const TvxBitmap& painted, int x, int y, const TvxBitmap& picture, int sx, int sy, int w, int h)
{
    int count = 0;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i)
            count += differs(painted.Pixel(x + i, y + j), picture.Pixel(sx + i, sy + j), 2);
    }
    return count;
}

// A block of a frame picture's corner (w × h picture pixels at sx, sy, within the
// margins) and the same block where the frame of that device rectangle shows it.
struct Block {
    int sx, sy, w, h;
};

int cornerMismatches(const TvxBitmap& painted, const TvxRect& frame, const TvxBitmap& picture, const Block& b)
{
    const int x = b.sx < picture.Width() / 2 ? int(frame.Left) + b.sx : int(frame.Right) - (picture.Width() - b.sx);
    const int y = b.sy < picture.Height() / 2 ? int(frame.Top) + b.sy : int(frame.Bottom) - (picture.Height() - b.sy);
    return mismatches(painted, x, y, picture, b.sx, b.sy, b.w, b.h);
}

// Each block of the frame's corners is the dense picture's, and not what the
// 1x picture enlarged gives.
void expectCornersFromTheDensePicture(const TvxBitmap& dense, const TvxBitmap& enlarged, const TvxRect& frame,
    const TvxBitmap& picture, std::initializer_list<Block> blocks)
{
    for (const Block& b : blocks) {
        EXPECT_EQ(cornerMismatches(dense, frame, picture, b), 0) << b.sx << "," << b.sy;
        EXPECT_GT(cornerMismatches(enlarged, frame, picture, b), 50) << b.sx << "," << b.sy << " from the 1x picture";
    }
}

TvxRect doubled(const TvxRect& r)
{
    return { 2 * r.Left, 2 * r.Top, 2 * r.Right, 2 * r.Bottom };
}

void dropDense(const std::vector<TvxBitmap*>& pictures)
{
    for (TvxBitmap* picture : pictures)
        picture->SetDense(nullptr);
}

class WindowArtTest : public nimbrell::testing::WidgetFixture {
protected:
    void setScale(SceneWindow& window, int scale)
    {
        static_cast<platform::HeadlessWindow&>(window.Native()).SetDeviceScale(scale);
        application.ProcessMessages();
    }

    void show(SceneWindow& window)
    {
        window.Show();
        application.ProcessMessages();
    }

    // Paints the window at scale 2 with its pictures as stored, then with their
    // pictures of twice the density dropped: the 1x pictures enlarged.
    struct Paintings {
        std::unique_ptr<TvxBitmap> dense, enlarged;
    };
    Paintings paintAtTwice(SceneWindow& window, const std::vector<TvxBitmap*>& pictures)
    {
        Paintings result;
        setScale(window, 2);
        result.dense = painted(window);
        dropDense(pictures);
        result.enlarged = painted(window);
        return result;
    }

    std::unique_ptr<TFormUpdate> openUpdate()
    {
        TFormUpdate::Options options;
        options.folder = DownloadFolder { temp.Path().string(), true };
        UpdateOffer offer { "http://" + closedPort.HostPort() + "/nimbrell-2.deb", "nimbrell-2.deb", "新版本说明", "" };
        return std::make_unique<TFormUpdate>(offer, std::move(options));
    }
};

struct ConfigArt {
    TvxImage& frame;
    TvxImage& logo;
    TvxRectangle& titleBar;
    TvxRectangle& header;
    std::vector<TvxBitmap*> pictures() const
    {
        return { &frame.Bitmap(), &logo.Bitmap(), &titleBar.Fill().Bitmap().Bitmap(), &header.Fill().Bitmap().Bitmap() };
    }
};

ConfigArt configArt(SceneWindow& window)
{
    return { sceneObject<TvxImage>(window, "Image1"), sceneObject<TvxImage>(window, "Image2"),
        sceneObject<TvxRectangle>(window, "Rectangle2"), sceneObject<TvxRectangle>(window, "Rectangle3") };
}

}

TEST_F(WindowArtTest, TheSettingsWindowAtTwiceTheDensityDrawsItsArtworkFromTheDensePictures)
{
    TFormWeather widget;
    std::unique_ptr<TvxBitmap> withoutDense;
    {
        TFormConfig plain(widget);
        dropDense(configArt(plain).pictures());
        show(plain);
        withoutDense = painted(plain);
    }
    TFormConfig window(widget);
    const ConfigArt art = configArt(window);
    for (TvxBitmap* picture : art.pictures())
        EXPECT_TRUE(picture->HasDense());
    show(window);
    EXPECT_TRUE(samePixels(*painted(window), *withoutDense)) << "at scale 1 the pictures of twice the density change nothing";

    // Kept before they are dropped below.
    TvxBitmap denseFrame, denseTitle, denseHeader;
    denseFrame.Assign(art.frame.Bitmap().ForDeviceScale(2));
    denseTitle.Assign(art.titleBar.Fill().Bitmap().Bitmap().ForDeviceScale(2));
    denseHeader.Assign(art.header.Fill().Bitmap().Bitmap().ForDeviceScale(2));
    ASSERT_EQ(denseFrame.Width(), 2 * art.frame.Bitmap().Width());
    ASSERT_EQ(denseHeader.Width(), 128);
    ASSERT_EQ(denseHeader.Height(), 100);

    Paintings p = paintAtTwice(window, art.pictures());
    ASSERT_EQ(p.dense->Width(), 2 * TFormConfig::ClientWidth);

    // The frame's corners keep their margins of 22 and 25 units as 44 and 50 dense
    // pixels, shown one to one where nothing lies over them: outside the inner
    // panel (10, 10, 19, 18 units in, less a pixel of its antialiased edge) and
    // the logo (top left).
    const TvxRect f = doubled(art.frame.AbsoluteRect());
    const int fw = denseFrame.Width(), fh = denseFrame.Height();
    expectCornersFromTheDensePicture(*p.dense, *p.enlarged, f, denseFrame,
        { { fw - 50, 0, 50, 18 }, { fw - 36, 0, 36, 44 }, { 0, fh - 34, 44, 34 }, { 0, fh - 50, 18, 50 },
            { fw - 50, fh - 34, 50, 34 }, { fw - 36, fh - 50, 36, 50 } });
    // Its stretched edges come from the dense picture too; its corner's rim and
    // shadow are drawn at the device's pixels, where the 1x picture, drawn without
    // interpolation, shows as 2 x 2 blocks.
    const TvxRect bottomEdge { f.Left + 60, f.Bottom - 34, f.Right - 60, f.Bottom };
    EXPECT_GT(differing(*p.dense, *p.enlarged, bottomEdge), 200);
    const TvxRect corner { f.Right - 50, f.Bottom - 34, f.Right, f.Bottom };
    EXPECT_EQ(mixedBlocks(*p.enlarged, corner), 0);
    EXPECT_GT(mixedBlocks(*p.dense, corner), 100);

    // The logo: the dense picture's detail, its edges a pixel wide.
    const TvxRect l = doubled(art.logo.AbsoluteRect());
    const TvxRect logoArea { std::max(l.Left, 0.0f), std::max(l.Top, 0.0f), l.Right, l.Bottom };
    EXPECT_GT(differing(*p.dense, *p.enlarged, logoArea), 2000);
    EXPECT_GT(sharpness(*p.dense, logoArea), 1.5 * sharpness(*p.enlarged, logoArea));

    // Tiles: the header's 64 x 50 unit tile is 128 x 100 dense pixels from the
    // header's corner; its top rows, clear of the logo and the title's glow, show it.
    const TvxRect h = doubled(art.header.AbsoluteRect());
    const int hx = int(h.Left), hy = int(h.Top);
    for (int x = 2 * 128; x + 128 <= int(h.Width()); x += 128)
        EXPECT_EQ(mismatches(*p.dense, hx + x, hy, denseHeader, 0, 0, 128, 16), 0) << "header tile at " << x;
    EXPECT_GT(mismatches(*p.enlarged, hx + 256, hy, denseHeader, 0, 0, 128, 16), 256);
    // The title bar's tile, right of the logo and left of the title's glow.
    const TvxRect t = doubled(art.titleBar.AbsoluteRect());
    EXPECT_EQ(mismatches(*p.dense, int(t.Left) + 144, int(t.Top), denseTitle, 144, 0, 40, int(t.Height())), 0);
}

TEST_F(WindowArtTest, TheUpdateWindowAtTwiceTheDensityDrawsItsFrameFromTheDensePicture)
{
    std::unique_ptr<TvxBitmap> withoutDense;
    {
        auto plain = openUpdate();
        dropDense({ &sceneObject<TvxImage>(*plain, "Image2").Bitmap() });
        show(*plain);
        withoutDense = painted(*plain);
    }
    auto window = openUpdate();
    TvxImage& frame = sceneObject<TvxImage>(*window, "Image2");
    EXPECT_TRUE(frame.Bitmap().HasDense());
    show(*window);
    EXPECT_TRUE(samePixels(*painted(*window), *withoutDense)) << "at scale 1 the picture of twice the density changes nothing";
    TvxBitmap denseFrame;
    denseFrame.Assign(frame.Bitmap().ForDeviceScale(2));
    ASSERT_EQ(denseFrame.Width(), 2 * frame.Bitmap().Width());

    Paintings p = paintAtTwice(*window, { &frame.Bitmap() });
    ASSERT_EQ(p.dense->Width(), 2 * TFormUpdate::ClientWidth);

    // Margins of 60 units: 120 dense pixels at each corner, the same as the
    // picture's outside the window's own panel (39, 17, 35, 45 units in, its
    // outline reaching a unit out, less a pixel of antialiasing) and the icon
    // (top left).
    const TvxRect f = doubled(frame.AbsoluteRect());
    const int fw = denseFrame.Width(), fh = denseFrame.Height();
    expectCornersFromTheDensePicture(*p.dense, *p.enlarged, f, denseFrame,
        { { 0, fh - 86, 120, 86 }, { 0, fh - 120, 74, 120 }, { fw - 120, fh - 86, 120, 86 }, { fw - 66, fh - 120, 66, 120 },
            { fw - 120, 0, 120, 30 } });
    EXPECT_GT(differing(*p.dense, *p.enlarged, f), 2000);
    // The bezel's rims and shadow drawn at the device's pixels: corners are drawn
    // without interpolation, so the 1x picture shows as 2 x 2 blocks.
    const TvxRect corner { f.Left, f.Bottom - 86, f.Left + 120, f.Bottom };
    EXPECT_EQ(mixedBlocks(*p.enlarged, corner), 0);
    EXPECT_GT(mixedBlocks(*p.dense, corner), 300);
}

// Effect images hold images of the objects below; none may be kept from another scale.
TEST_F(WindowArtTest, BothWindowsDrawnAtTwiceTheDensityAndBackDrawAsBefore)
{
    TFormWeather widget;
    TFormConfig config(widget);
    auto update = openUpdate();
    const std::pair<const char*, SceneWindow*> windows[] = { { "settings", &config }, { "update", update.get() } };
    for (const auto& [name, window] : windows) {
        show(*window);
        const std::unique_ptr<TvxBitmap> before = painted(*window);
        setScale(*window, 2);
        painted(*window);
        setScale(*window, 1);
        const std::unique_ptr<TvxBitmap> after = painted(*window);
        const TvxRect all { 0, 0, float(before->Width()), float(before->Height()) };
        EXPECT_TRUE(samePixels(*after, *before)) << name << ": " << differing(*after, *before, all) << " pixels differ by more than 8";
    }
}
