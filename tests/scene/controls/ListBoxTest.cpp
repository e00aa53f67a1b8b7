// SPDX-License-Identifier: GPL-3.0-or-later
// The list box with the stored style: the ItemIndex rules and OnChange, filling
// inside an update, scrolling with bars, wheel and keys, mouse selecting, the
// highlight and removal.

#include "tests/scene/controls/ControlScene.h"

#include "platform/Message.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxScrollBar.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/styles/TvxResources.h"

using namespace nimbrell;
using nimbrell::testing::ControlScene;

namespace {

class ListBoxTest : public ControlScene {
protected:
    TvxListBox* list { nullptr };
    // Each OnChange: the item's text, "none" for no item, and ItemIndex then.
    std::vector<std::pair<std::string, int>> changes;

    void SetUp() override
    {
        ControlScene::SetUp();
        list = add<TvxListBox>(10, 10, 120, 104);
        list->SetUseSmallScrollBars(true);
        list->OnChange.Set([this](TvxObject* sender) {
            auto* item = dynamic_cast<TvxListBoxItem*>(sender);
            changes.emplace_back(item ? item->Text() : "none", list->ItemIndex());
        });
        frame();
    }

    void fill(int count, std::string prefix = "item")
    {
        list->BeginUpdate();
        for (int i = 0; i < count; ++i) {
            auto* item = new TvxListBoxItem(nullptr);
            list->AddObject(item);
            item->SetText(prefix + std::to_string(i));
            item->SetTagString(std::to_string(100 + i));
        }
        list->EndUpdate();
        frame();
    }

    TvxScrollBar* vbar() { return list->VScrollBar(); }
};

using Changes = std::vector<std::pair<std::string, int>>;

}

TEST_F(ListBoxTest, AMoveFiresOnChangeTwiceFirstWithNoItem)
{
    fill(5);
    list->SetItemIndex(1);
    EXPECT_EQ(changes, (Changes { { "item1", 1 } })) << "selecting with nothing selected fires once";
    changes.clear();
    list->SetItemIndex(3);
    EXPECT_EQ(changes, (Changes { { "none", -1 }, { "item3", 3 } }));
    EXPECT_TRUE(list->ItemByIndex(3)->IsSelected());
    EXPECT_FALSE(list->ItemByIndex(1)->IsSelected());
    changes.clear();
    list->SetItemIndex(3);
    EXPECT_TRUE(changes.empty()) << "the same value fires nothing";
    list->BeginUpdate();
    list->SetItemIndex(0);
    list->EndUpdate();
    EXPECT_TRUE(changes.empty()) << "nor does a write inside an update";
    EXPECT_EQ(list->ItemIndex(), 0);
}

TEST_F(ListBoxTest, FillingAfterClearInsideAnUpdateFiresNothing)
{
    fill(5);
    list->SetItemIndex(2);
    changes.clear();
    list->BeginUpdate();
    list->Clear();
    for (int i = 0; i < 3; ++i) {
        auto* item = new TvxListBoxItem(nullptr);
        list->AddObject(item);
        item->SetText("again" + std::to_string(i));
    }
    list->EndUpdate();
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_TRUE(changes.empty());
}

TEST_F(ListBoxTest, ThirtyFourRowsShowTheSmallBarAndTheWheelScrollsThreeFifths)
{
    fill(34);
    ASSERT_NE(vbar(), nullptr);
    EXPECT_TRUE(vbar()->Visible());
    EXPECT_TRUE(dynamic_cast<TvxSmallScrollBar*>(vbar()));
    EXPECT_EQ(vbar()->Max(), 646);
    float viewport = list->Viewport()->Height();
    EXPECT_EQ(vbar()->ViewportSize(), viewport);
    EXPECT_EQ(viewport, 100) << "104 less the background's margins";

    bool handled = false;
    list->SetAnimated(false);
    list->MouseWheel(0, -120, handled);
    EXPECT_TRUE(handled);
    EXPECT_FLOAT_EQ(vbar()->Value(), viewport * 3 / 5);
    EXPECT_FLOAT_EQ(list->Content()->Position().Y(), -viewport * 3 / 5);

    list->SetAnimated(true);
    handled = false;
    list->MouseWheel(0, -120, handled);
    advance(350);
    float halfway = vbar()->Value();
    EXPECT_GT(halfway, viewport * 3 / 5 + viewport * 3 / 5 * 0.5f) << "quadratic out: past half the way at half the time";
    EXPECT_LT(halfway, viewport * 6 / 5);
    advance(400);
    EXPECT_FLOAT_EQ(vbar()->Value(), viewport * 6 / 5);
}

TEST_F(ListBoxTest, EndScrollsTheLastItemIntoViewAndHomeBack)
{
    fill(34);
    list->SetFocus();
    scene->KeyDown(platform::VK_END, 0);
    EXPECT_EQ(list->ItemIndex(), 33);
    EXPECT_FLOAT_EQ(vbar()->Value(), 646 - list->Viewport()->Height());
    TvxListBoxItem* last = list->ItemByIndex(33);
    EXPECT_FLOAT_EQ(last->Position().Y() + last->Height() + list->Content()->Position().Y(), list->Viewport()->Height())
        << "the last item ends at the viewport's bottom";
    scene->KeyDown(platform::VK_HOME, 0);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(vbar()->Value(), 0);
}

TEST_F(ListBoxTest, KeysMoveTheSelection)
{
    fill(3, "");
    list->ItemByIndex(0)->SetText("Beijing");
    list->ItemByIndex(1)->SetText("shanghai");
    list->ItemByIndex(2)->SetText("天津");
    list->SetFocus();
    struct Step {
        int key;
        char32_t character;
        int index;
    };
    const Step steps[] = {
        { 0, U'S', 1 }, // without regard to case
        { 0, U'x', 1 }, // no match keeps the selection
        { 0, U'天', 2 },
        { platform::VK_DOWN, 0, 2 }, // not beyond the last
        { platform::VK_UP, 0, 1 },
        { platform::VK_LEFT, 0, 0 },
        { platform::VK_UP, 0, 0 },
        { platform::VK_RIGHT, 0, 1 },
    };
    for (const auto& step : steps) {
        if (step.key)
            scene->KeyDown(step.key, 0);
        else
            scene->Character(step.character, 0);
        EXPECT_EQ(list->ItemIndex(), step.index) << "key " << step.key << " character " << static_cast<int>(step.character);
    }
}

TEST_F(ListBoxTest, DraggingSelectsEveryItemPassedAndFocusShowsTheHighlight)
{
    fill(5);
    float x = 50;
    float y0 = 10 + 2 + 5; // inside the first row
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, y0);
    for (int row = 1; row < 4; ++row)
        scene->MouseMove(kLeftButton, x, y0 + 19.0f * row);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, x, y0 + 19 * 3);
    EXPECT_EQ(changes, (Changes { { "item0", 0 }, { "none", -1 }, { "item1", 1 }, { "none", -1 }, { "item2", 2 }, { "none", -1 }, { "item3", 3 } }));
    EXPECT_TRUE(list->IsFocused());
    auto shown = list->ShownHighlights();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->Position().Y(), 19 * 3);
    EXPECT_EQ(shown[0]->Height(), 19);

    auto* other = add<TvxListBox>(200, 10, 100, 100);
    other->SetFocus();
    EXPECT_TRUE(list->ShownHighlights().empty()) << "losing the focus hides the highlight";
    EXPECT_EQ(list->ItemIndex(), 3) << "but keeps ItemIndex";
}

TEST_F(ListBoxTest, DraggingPastAnEdgeKeepsSelectingAndScrolls)
{
    fill(34);
    float x = 50;
    float top = 10 + 2; // the viewport's top on the scene
    float viewport = list->Viewport()->Height();
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, top + 19 * 4 + 9);
    ASSERT_EQ(list->ItemIndex(), 4);
    // Below the list, and beside it: each move takes the row just below the viewport.
    for (int move = 1; move <= 3; ++move) {
        scene->MouseMove(kLeftButton, move == 2 ? 400 : x, 190);
        EXPECT_EQ(list->ItemIndex(), 4 + move) << "move " << move;
    }
    TvxListBoxItem* selected = list->Selected();
    EXPECT_FLOAT_EQ(selected->Position().Y() + selected->Height() + list->Content()->Position().Y(), viewport)
        << "the row taken is scrolled fully into view";
    EXPECT_GT(vbar()->Value(), 0);
    for (int move = 0; move < 40; ++move)
        scene->MouseMove(kLeftButton, x, 190 + move % 2);
    EXPECT_EQ(list->ItemIndex(), 33) << "it stops at the last row";
    // Back above the top: the rows above, up to the first.
    int before = list->ItemIndex();
    scene->MouseMove(kLeftButton, x, 0);
    int firstShown = static_cast<int>(vbar()->Value() / 19);
    EXPECT_LT(list->ItemIndex(), before);
    EXPECT_EQ(list->ItemIndex(), firstShown) << "the row just above is now the first shown";
    for (int move = 0; move < 40; ++move)
        scene->MouseMove(kLeftButton, x, -move % 2);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(vbar()->Value(), 0);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, x, 0);

    // A short list: dragging below its rows inside the viewport takes the last.
    list->Clear();
    fill(3);
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, top + 9);
    scene->MouseMove(kLeftButton, x, top + 90);
    EXPECT_EQ(list->ItemIndex(), 2);
    scene->MouseUp(TvxMouseButton::mbLeft, 0, x, top + 90);
    // Moving without the button selects nothing.
    scene->MouseMove(0, x, top + 9);
    EXPECT_EQ(list->ItemIndex(), 2);
}

TEST_F(ListBoxTest, StoredScrollBoxPropertiesLoadAndTakeEffect)
{
    // A style with a size grip, as a stored form's own sheet may have.
    ComponentPtr<TvxResources> sheet(new TvxResources(nullptr));
    sheet->Resource().SetLines({ "object TvxLayout", "  object TvxLayout", "    ResourceName = 'griplist'",
        "    object TvxLayout", "      ResourceName = 'content'", "      Align = vaClient", "    end",
        "    object TvxScrollBar", "      ResourceName = 'vscrollbar'", "      Align = vaRight", "      Width = 18.0",
        "      Orientation = vgVertical", "    end", "    object TvxRectangle", "      ResourceName = 'sizegrip'",
        "      Align = vaBottomRight", "      Width = 10.0", "      Height = 10.0", "    end", "  end", "end" });
    ASSERT_NE(sheet->Root(), nullptr);
    scene->SetStyle(sheet.get());

    TvxListBox defaults(nullptr);
    EXPECT_TRUE(defaults.ShowScrollBars());
    EXPECT_FALSE(defaults.ShowSizeGrip());
    EXPECT_FALSE(defaults.MouseTracking());

    ComponentPtr<TvxObject> loaded(CreateObjectFromStream(ObjectTextToBinary("object TvxListBox\n"
                                                                             "  Width = 120.0\n"
                                                                             "  Height = 100.0\n"
                                                                             "  Resource = 'griplist'\n"
                                                                             "  ShowScrollBars = False\n"
                                                                             "  ShowSizeGrip = True\n"
                                                                             "  MouseTracking = True\n"
                                                                             "end\n"),
        nullptr));
    auto* stored = dynamic_cast<TvxListBox*>(loaded.release());
    ASSERT_NE(stored, nullptr);
    EXPECT_FALSE(stored->ShowScrollBars());
    EXPECT_TRUE(stored->ShowSizeGrip());
    EXPECT_TRUE(stored->MouseTracking());
    stored->Position().SetPoint({ 150, 10 });
    root->AddObject(stored);
    list = stored;
    fill(20);
    auto* grip = dynamic_cast<TvxVisualObject*>(stored->FindResource("sizegrip"));
    ASSERT_NE(grip, nullptr);
    EXPECT_TRUE(grip->Visible());
    stored->SetShowSizeGrip(false);
    EXPECT_FALSE(grip->Visible()) << "the grip only with ShowSizeGrip";

    // Without ShowScrollBars the bar scrolls out of sight and leaves the viewport whole.
    ASSERT_NE(vbar(), nullptr);
    EXPECT_TRUE(vbar()->Visible());
    EXPECT_EQ(vbar()->Opacity(), 0);
    EXPECT_EQ(stored->Viewport()->Width(), 120);
    EXPECT_EQ(vbar()->Max(), 380);
    stored->SetShowScrollBars(true);
    EXPECT_EQ(vbar()->Opacity(), 1);
    EXPECT_EQ(vbar()->Align(), TvxAlign::vaRight);
    EXPECT_EQ(stored->Viewport()->Width(), 102);
    EXPECT_FLOAT_EQ(vbar()->Position().X(), 102);

    // MouseTracking: a drag moves the content with the pointer instead of selecting.
    scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, 200, 80);
    int pressed = stored->ItemIndex();
    EXPECT_EQ(pressed, 3) << "a press still selects";
    scene->MouseMove(kLeftButton, 200, 40);
    EXPECT_FLOAT_EQ(vbar()->Value(), 40);
    EXPECT_EQ(stored->ItemIndex(), pressed);
    scene->MouseMove(kLeftButton, 200, -900);
    EXPECT_FLOAT_EQ(vbar()->Value(), 380 - 100) << "no further than the content";
    scene->MouseUp(TvxMouseButton::mbLeft, 0, 200, -900);
    scene->MouseMove(0, 200, 80);
    EXPECT_FLOAT_EQ(vbar()->Value(), 380 - 100);
}

TEST_F(ListBoxTest, RemovingItemsAndOutOfRangeWrites)
{
    fill(5);
    list->SetItemIndex(3);
    changes.clear();
    list->ItemByIndex(1)->Free();
    EXPECT_EQ(list->ItemIndex(), 2) << "removing an item above the selection lowers ItemIndex silently";
    EXPECT_TRUE(changes.empty());
    list->ItemByIndex(2)->Free();
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(changes, (Changes { { "none", -1 } }));
    changes.clear();
    list->SetItemIndex(1000000);
    EXPECT_EQ(list->ItemIndex(), 1000000) << "stored although no item has it";
    EXPECT_EQ(changes, (Changes { { "none", 1000000 } }));
    list->SetItemIndex(-7);
    EXPECT_EQ(list->Selected(), nullptr);
    EXPECT_EQ(list->Count(), 3);
}

TEST_F(ListBoxTest, LongAndEmptyTextsAndManyItems)
{
    list->BeginUpdate();
    for (const std::string& text : { std::string(10000, 'x'), std::string() }) {
        auto* item = new TvxListBoxItem(nullptr);
        list->AddObject(item);
        item->SetText(text);
    }
    list->EndUpdate();
    frame();
    EXPECT_EQ(list->Count(), 2);
    // Filling, selecting and clearing stay linear (emptying used to walk every
    // remaining row for each row removed).
    fill(20000);
    EXPECT_EQ(list->Count(), 20002);
    EXPECT_FLOAT_EQ(vbar()->Max(), 20002 * 19.0f);
    list->SetItemIndex(20001);
    EXPECT_EQ(list->Selected()->Text(), "item19999");
    EXPECT_FLOAT_EQ(vbar()->Value(), 20002 * 19.0f - list->Viewport()->Height());
    list->Clear();
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(ListBoxTest, OddRowsAreFilledUnderTheItems)
{
    fill(4);
    // The grey of a row's right end (no text there) in the list at (10, 10).
    auto rowLevel = [&](int row) {
        frame();
        int y = 10 + 2 + row * 19 + 9;
        return static_cast<int>((scene->Buffer().ConstBits()[y * scene->Width() + 110] >> 16) & 0xFF);
    };
    EXPECT_EQ(rowLevel(0), rowLevel(1)) << "no fill without AlternatingRowBackground";
    list->SetAlternatingRowBackground(true);
    EXPECT_LT(rowLevel(1), rowLevel(0) - 4) << "odd rows darker";
    EXPECT_EQ(rowLevel(2), rowLevel(0));
    EXPECT_EQ(rowLevel(3), rowLevel(1));
}

TEST_F(ListBoxTest, SortingColumnsAndTheirKeys)
{
    list->BeginUpdate();
    for (const char* text : { "pear", "Apple", "fig", "banana", "Cherry" }) {
        auto* item = new TvxListBoxItem(nullptr);
        list->AddObject(item);
        item->SetText(text);
    }
    list->EndUpdate();
    list->SetItemIndex(0);
    list->SetSorted(true);
    std::vector<std::string> order;
    for (int i = 0; i < list->Count(); ++i)
        order.push_back(list->ItemByIndex(i)->Text());
    EXPECT_EQ(order, (std::vector<std::string> { "Apple", "banana", "Cherry", "fig", "pear" })) << "without regard to case";
    EXPECT_EQ(list->Selected()->Text(), "pear") << "the selection stays on its item";

    list->SetColumns(2);
    frame();
    auto* second = list->ItemByIndex(1);
    auto* third = list->ItemByIndex(2);
    EXPECT_GT(second->Position().X(), 40) << "two items a row";
    EXPECT_EQ(second->Position().Y(), 0);
    EXPECT_EQ(third->Position().Y(), 19);
    TvxPoint middle = list->AbsoluteToLocal(second->LocalToAbsolute({ 5, 5 }));
    EXPECT_EQ(list->ItemByPoint(middle.X, middle.Y), second);
    list->SetFocus();
    struct Step {
        int key;
        int expected;
    };
    for (Step step : { Step { platform::VK_HOME, 0 }, { platform::VK_DOWN, 2 }, { platform::VK_RIGHT, 3 }, { platform::VK_UP, 1 }, { platform::VK_END, 3 } }) {
        scene->KeyDown(step.key, 0);
        EXPECT_EQ(list->ItemIndex(), step.expected) << "key " << step.key;
    }
}

TEST_F(ListBoxTest, MultiSelectDragAndCheckBoxes)
{
    fill(6);
    list->SetFocus();
    auto press = [&](int row, TvxShiftState shift = 0, float x = 50) {
        float y = 10 + 2 + 19.0f * row + 9;
        scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton | shift, x, y);
        scene->MouseUp(TvxMouseButton::mbLeft, shift, x, y);
    };
    auto selected = [&] {
        std::string marks;
        for (int i = 0; i < list->Count(); ++i)
            marks += list->ItemByIndex(i)->IsSelected() ? '1' : '0';
        return marks;
    };
    list->SetMultiSelect(true);
    press(0);
    press(2, kCtrlKey);
    EXPECT_EQ(selected(), "101000");
    EXPECT_EQ(list->ShownHighlights().size(), 2u) << "one highlight a run";
    press(4, kShiftKey);
    EXPECT_EQ(selected(), "001110") << "Shift selects from the first selected item";
    EXPECT_EQ(list->ShownHighlights().size(), 1u);
    press(2, kCtrlKey);
    EXPECT_EQ(selected(), "000110");
    press(3);
    EXPECT_EQ(selected(), "000100") << "a plain press selects the item alone";
    press(0);
    press(2, kShiftKey);
    EXPECT_EQ(selected(), "111000");
    press(4, kShiftKey);
    EXPECT_EQ(selected(), "001110") << "Shift starts at the selected item, the one pressed last";

    // Dragging the selected item onto another moves it there, unless vetoed.
    list->SetMultiSelect(false);
    list->SetAllowDrag(true);
    press(1);
    bool allow = false;
    list->OnDragChange.Set([&](TvxObject*, TvxListBoxItem*, TvxListBoxItem*, bool& accept) { accept = allow; });
    auto dragTo = [&](int from, int to) {
        float x = 50;
        scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, 10 + 2 + 19.0f * from + 9);
        scene->MouseMove(kLeftButton, x, 10 + 2 + 19.0f * to + 9);
        scene->MouseUp(TvxMouseButton::mbLeft, 0, x, 10 + 2 + 19.0f * to + 9);
    };
    dragTo(1, 3);
    EXPECT_EQ(list->ItemByIndex(1)->Text(), "item1") << "vetoed";
    allow = true;
    changes.clear();
    dragTo(1, 3);
    EXPECT_EQ(list->ItemByIndex(3)->Text(), "item1");
    EXPECT_EQ(list->ItemByIndex(1)->Text(), "item2");
    EXPECT_EQ(list->ItemIndex(), 3) << "the selection moves with the item";
    EXPECT_TRUE(changes.empty()) << "dragging a selected item does not select others";

    // Check boxes: a press on an item's check box toggles it.
    int checks = 0;
    list->OnChangeCheck.Set([&](TvxObject*) { ++checks; });
    list->SetShowCheckboxes(true);
    frame();
    ASSERT_NE(list->ItemByIndex(0)->CheckPart(), nullptr);
    EXPECT_TRUE(list->ItemByIndex(0)->CheckPart()->Visible());
    press(0, 0, 20);
    EXPECT_TRUE(list->ItemByIndex(0)->IsChecked());
    press(0, 0, 80);
    EXPECT_TRUE(list->ItemByIndex(0)->IsChecked()) << "a press beside the box leaves it";
    press(0, 0, 20);
    EXPECT_FALSE(list->ItemByIndex(0)->IsChecked());
    EXPECT_EQ(checks, 2);
}
