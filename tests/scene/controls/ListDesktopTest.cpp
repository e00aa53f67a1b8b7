// SPDX-License-Identifier: GPL-3.0-or-later
// A list box and a string combo box in a real window, driven by the real mouse
// and keyboard: dragging selects every item passed, the wheel scrolls, the combo
// box's list drops down in a window of its own, and a click or Escape closes it.
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxPopupForm.h"
#include "scene/controls/TvxScrollBar.h"
#include "tests/scene/controls/DesktopControlScene.h"

using namespace nimbrell;
using namespace nimbrell::testing;
using namespace std::chrono_literals;

namespace {

// The window's top left on the screen.
constexpr int windowX = 200;
constexpr int windowY = 200;

class ListDesktopTest : public DesktopControlScene {
protected:
    void SetUp() override
    {
        open(260, 130, windowX, windowY, [this](TvxBackground& root) {
            combo = new TvxStringComboBox(nullptr);
            combo->SetBounds(10, 10, 100, 22);
            combo->Items().SetLines({ "One", "Two", "Three", "Four", "Five" });
            combo->SetItemIndex(0);
            root.AddObject(combo);

            list = new TvxListBox(nullptr);
            list->SetBounds(130, 10, 110, 104);
            list->SetUseSmallScrollBars(true);
            list->BeginUpdate();
            for (int i = 0; i < 30; ++i) {
                auto* item = new TvxListBoxItem(nullptr);
                list->AddObject(item);
                item->SetText("row " + std::to_string(i));
            }
            list->EndUpdate();
            root.AddObject(list);
        });
    }

    // A screen point as "x y" for xdotool.
    static std::string at(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
    std::string comboCentre() const { return at(windowX + 60, windowY + 21); }
    // The centre of row `row` of the open drop-down (2 px of frame above the rows).
    std::string dropDownRow(int row) const
    {
        TvxPopupForm* form = combo->Popup()->PopupForm();
        return at(form->Left() + 40, form->Top() + 2 + 19 * row + 9);
    }
    bool dropDownShown() const { return combo->Popup()->IsOpen() && combo->Popup()->PopupForm(); }
    // The open drop-down on the screen, past the window's mapping (on which it
    // takes the pointer and the keyboard): its rows are not the root's dark grey.
    bool dropDownOnScreen() const
    {
        TvxPopupForm* form = combo->Popup()->PopupForm();
        int left = form->Left() - windowX, top = form->Top() - windowY;
        return ScreenSettlesOn([&](const Screenshot& shot) {
            for (int y = top + 2; y < top + 2 + 3 * 19; ++y) {
                for (int x = left + 2; x < left + 60; ++x) {
                    if (!Near(shot.At(windowX + x, windowY + y), { 0x2B, 0x2B, 0x2B }, 4))
                        return true;
                }
            }
            return false;
        });
    }
    bool dropDownGone() const { return !combo->Popup()->IsOpen() && !combo->Popup()->Closing(); }

    TvxStringComboBox* combo { nullptr };
    TvxListBox* list { nullptr };
};

}

TEST_F(ListDesktopTest, DraggingDownAListSelectsEveryItemPassed)
{
    std::vector<int> selected;
    list->OnChange.Set([&](TvxObject* sender) {
        if (sender)
            selected.push_back(list->ItemIndex());
    });
    int x = windowX + 170;
    int top = windowY + 10 + 2;
    RunCommand("xdotool mousemove " + at(x, top + 9) + " mousedown 1");
    // Step by step, each move handled before the next: queued moves are coalesced.
    for (int y = top + 15; y <= top + 4 * 19 + 9; y += 6) {
        RunCommand("xdotool mousemove " + at(x, y));
        ASSERT_TRUE(WaitFor([&] { return list->ItemIndex() == (y - top) / 19; }, Pump::Loop)) << y;
    }
    RunCommand("xdotool mouseup 1");
    ASSERT_TRUE(WaitFor([&] { return list->ItemIndex() == 4; }, Pump::Loop)) << list->ItemIndex();
    EXPECT_EQ(selected, (std::vector<int> { 0, 1, 2, 3, 4 }));
}

TEST_F(ListDesktopTest, TheWheelScrollsTheList)
{
    TvxScrollBar* bar = list->VScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->Visible());
    RunCommand("xdotool mousemove " + at(windowX + 170, windowY + 60) + " click 5");
    // One notch: three fifths of the viewport, animated over 0.7 s.
    float notch = bar->SmallChange() * 3;
    EXPECT_TRUE(WaitFor([&] { return std::abs(bar->Value() - notch) < 0.5f; }, 3s, Pump::Loop)) << bar->Value() << " of " << notch;
}

TEST_F(ListDesktopTest, TheComboDropsItsListBelowAndAClickPicks)
{
    std::vector<int> changes;
    combo->OnChange.Set([&](TvxObject*) { changes.push_back(combo->ItemIndex()); });
    RunCommand("xdotool mousemove " + comboCentre() + " click 1");
    ASSERT_TRUE(WaitFor([&] { return dropDownShown(); }, Pump::Loop));
    TvxPopupForm* form = combo->Popup()->PopupForm();
    EXPECT_EQ(form->Left(), windowX + 10);
    EXPECT_EQ(form->Top(), windowY + 32) << "below the box";
    EXPECT_NE(form->Handle(), window->Handle()) << "a window of its own";
    ASSERT_TRUE(dropDownOnScreen());
    RunCommand("xdotool mousemove " + dropDownRow(2) + " click 1");
    ASSERT_TRUE(WaitFor([&] { return dropDownGone(); }, Pump::Loop));
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(changes, std::vector<int> { 2 });
}

TEST_F(ListDesktopTest, AClickElsewhereOnTheDesktopClosesTheList)
{
    RunCommand("xdotool mousemove " + comboCentre() + " click 1");
    ASSERT_TRUE(WaitFor([&] { return dropDownShown(); }, Pump::Loop));
    ASSERT_TRUE(dropDownOnScreen());
    RunCommand("xdotool mousemove 900 800 click 1");
    ASSERT_TRUE(WaitFor([&] { return dropDownGone(); }, Pump::Loop));
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(ListDesktopTest, EscapeClosesOnlyTheDropDown)
{
    RunCommand("xdotool mousemove " + comboCentre() + " click 1");
    ASSERT_TRUE(WaitFor([&] { return dropDownShown(); }, Pump::Loop));
    ASSERT_TRUE(dropDownOnScreen());
    RunCommand("xdotool key Down key Escape");
    ASSERT_TRUE(WaitFor([&] { return dropDownGone(); }, Pump::Loop));
    ASSERT_TRUE(pointAt(windowX + 170, windowY + 60, list)) << "later input is handled";
    EXPECT_EQ(window->GetModalResult(), platform::ModalResult::None) << "the window stays";
    EXPECT_EQ(combo->ItemIndex(), 0) << "browsing without a pick changes nothing";
    RunCommand("xdotool key Escape");
    EXPECT_TRUE(WaitFor([&] { return window->GetModalResult() == platform::ModalResult::Cancel; }, Pump::Loop));
}
