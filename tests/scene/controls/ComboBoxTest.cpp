// SPDX-License-Identifier: GPL-3.0-or-later
// Combo boxes with the stored style: OnChange on every ItemIndex write, the
// drop-down's size and window, picking by a release or Enter, what closes the
// list (a second press, Escape, a release elsewhere), the fade, wheel and keys,
// the selected item painted into the box, and loading from the text form.

#include "tests/scene/controls/ControlScene.h"

#include "platform/Message.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxPopupForm.h"
#include "scene/controls/TvxScrollBar.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/render/TvxBitmap.h"

using namespace nimbrell;
using nimbrell::testing::ControlScene;

namespace {

class ComboBoxTest : public ControlScene {
protected:
    TvxStringComboBox* combo { nullptr };
    std::vector<int> changes;

    void SetUp() override
    {
        ControlScene::SetUp();
        backend->SetWorkArea({ 0, 0, 1000, 800 });
        combo = add<TvxStringComboBox>(20, 30, 100, 22);
        combo->Items().SetLines({ "Alpha", "Beta", "Gamma", "Delta" });
        combo->OnChange.Set([this](TvxObject* sender) {
            EXPECT_EQ(sender, combo);
            changes.push_back(combo->ItemIndex());
        });
        frame();
    }

    TvxPopup* popup() { return combo->Popup(); }
    TvxComboListBox* list() { return combo->ListBox(); }

    // A press and release at a point of the popup's scene (the list's window).
    void clickInPopup(float x, float y)
    {
        TvxScene& popupScene = popup()->PopupForm()->Scene();
        popupScene.MouseDown(TvxMouseButton::mbLeft, kLeftButton, x, y);
        popupScene.MouseUp(TvxMouseButton::mbLeft, 0, x, y);
    }

    void pressCombo()
    {
        scene->MouseDown(TvxMouseButton::mbLeft, kLeftButton, 50, 40);
        scene->MouseUp(TvxMouseButton::mbLeft, 0, 50, 40);
    }

    // Light text pixels inside the box's content area.
    int textPixels()
    {
        frame();
        int count = 0;
        for (int y = 32; y < 50; ++y) {
            for (int x = 22; x < 97; ++x) {
                std::uint32_t pixel = scene->Buffer().ConstBits()[y * scene->Width() + x];
                if (((pixel >> 16) & 0xFF) > 0xA0 && ((pixel >> 8) & 0xFF) > 0xA0)
                    ++count;
            }
        }
        return count;
    }
};

}

TEST_F(ComboBoxTest, EveryItemIndexWriteFiresOnChange)
{
    combo->SetItemIndex(2);
    combo->SetItemIndex(2);
    EXPECT_EQ(changes, (std::vector<int> { 2, 2 })) << "the same value fires again";
    EXPECT_EQ(list()->Selected()->Text(), "Gamma");

    changes.clear();
    combo->SetItemIndex(-5);
    combo->SetItemIndex(1000000);
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(combo->ListBox()->Selected(), nullptr) << "an index naming no item selects nothing";
    frame();
}

TEST_F(ComboBoxTest, ChangingItemsKeepsTheSelectionWithoutOnChange)
{
    combo->SetItemIndex(3);
    changes.clear();
    combo->Items().SetLines({ "one", "two" });
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(combo->Count(), 2);
    EXPECT_EQ(combo->ItemIndex(), 1) << "lowered to the last item";
    EXPECT_FLOAT_EQ(list()->ItemByIndex(0)->Height(), 19);
    combo->Items().Clear();
    EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST_F(ComboBoxTest, DropsA72HighListOf19HighItemsBelowItself)
{
    pressCombo();
    ASSERT_TRUE(popup()->IsOpen());
    TvxPopupForm* form = popup()->PopupForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Native().Width(), 100);
    EXPECT_EQ(form->Native().Height(), 72);
    EXPECT_EQ(form->Left(), 20);
    EXPECT_EQ(form->Top(), 52) << "right below the box";
    EXPECT_TRUE(list()->IsFocused());
    application.ProcessMessages();
    form->Scene().DrawAll();
    EXPECT_FLOAT_EQ(list()->ItemByIndex(3)->Height(), 19);
    ASSERT_NE(list()->VScrollBar(), nullptr);
    EXPECT_TRUE(list()->VScrollBar()->Visible()) << "four rows of 19 do not fit: the list scrolls";
}

TEST_F(ComboBoxTest, PlacedInsideTheWorkArea)
{
    backend->SetWorkArea({ 0, 0, 110, 80 });
    pressCombo();
    ASSERT_TRUE(popup()->IsOpen());
    EXPECT_EQ(popup()->PopupForm()->Left(), 10) << "moved left to end at the right edge";
    EXPECT_EQ(popup()->PopupForm()->Top(), 8) << "moved up to end at the bottom edge";
}

TEST_F(ComboBoxTest, AReleaseOverAnItemPicksItAndCloses)
{
    combo->SetItemIndex(0);
    changes.clear();
    pressCombo();
    clickInPopup(30, 19 + 8);
    EXPECT_FALSE(popup()->IsOpen());
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, std::vector<int> { 1 });
}

TEST_F(ComboBoxTest, DraggingInTheListPicksOnlyOnRelease)
{
    combo->SetItemIndex(0);
    changes.clear();
    pressCombo();
    TvxScene& popupScene = popup()->PopupForm()->Scene();
    popupScene.MouseDown(TvxMouseButton::mbLeft, kLeftButton, 30, 5);
    popupScene.MouseMove(kLeftButton, 30, 25);
    popupScene.MouseMove(kLeftButton, 30, 45);
    EXPECT_TRUE(changes.empty()) << "browsing does not change the combo box";
    popupScene.MouseUp(TvxMouseButton::mbLeft, 0, 30, 45);
    EXPECT_EQ(changes, std::vector<int> { 2 });
}

TEST_F(ComboBoxTest, AReleaseInTheListButNotOverAnItemKeepsItemIndex)
{
    // A plain combo box: two items of 10 in a drop-down of 2 x (22 - 4).
    auto* plain = add<TvxComboBox>(150, 30, 100, 22);
    for (const char* text : { "x", "y" }) {
        auto* item = new TvxListBoxItem(nullptr);
        item->SetHeight(10);
        plain->AddObject(item);
        item->SetText(text);
    }
    plain->SetItemIndex(0);
    int fired = 0;
    plain->OnChange.Set([&](TvxObject*) { ++fired; });
    plain->DropDown();
    ASSERT_TRUE(plain->Popup()->IsOpen());
    EXPECT_EQ(plain->Popup()->PopupForm()->Native().Height(), 36);
    TvxScene& popupScene = plain->Popup()->PopupForm()->Scene();
    popupScene.MouseDown(TvxMouseButton::mbLeft, kLeftButton, 30, 15);
    popupScene.MouseUp(TvxMouseButton::mbLeft, 0, 30, 30);
    EXPECT_FALSE(plain->Popup()->IsOpen());
    EXPECT_EQ(plain->ItemIndex(), 0) << "browsing to y and releasing below the items changes nothing";
    EXPECT_EQ(fired, 0);
}

TEST_F(ComboBoxTest, WhatClosesTheList)
{
    // A second press on the box.
    pressCombo();
    ASSERT_TRUE(popup()->IsOpen());
    pressCombo();
    EXPECT_FALSE(popup()->IsOpen());

    // Escape in the list's window, and Escape reaching the box's own window: the
    // window's cancel does not run.
    advance(200);
    pressCombo();
    popup()->PopupForm()->Scene().KeyDown(platform::VK_ESCAPE, 0);
    EXPECT_FALSE(popup()->IsOpen());
    advance(200);
    pressCombo();
    ASSERT_TRUE(popup()->IsOpen());
    scene->KeyDown(platform::VK_ESCAPE, 0);
    EXPECT_FALSE(popup()->IsOpen());
    EXPECT_EQ(scene->modalCancels, 0);
    scene->KeyDown(platform::VK_ESCAPE, 0);
    EXPECT_EQ(scene->modalCancels, 1) << "with the list closed Escape cancels the window";

    // A right-button release in the list.
    advance(200);
    pressCombo();
    ASSERT_TRUE(popup()->IsOpen());
    popup()->PopupForm()->Scene().MouseDown(TvxMouseButton::mbRight, kRightButton, 30, 5);
    popup()->PopupForm()->Scene().MouseUp(TvxMouseButton::mbRight, 0, 30, 5);
    EXPECT_FALSE(popup()->IsOpen());

    // The window losing activation to another window.
    advance(200);
    pressCombo();
    ASSERT_TRUE(popup()->IsOpen());
    platform::HWND window = popup()->PopupForm()->Handle();
    platform::PostMessage(window, platform::WM_ACTIVATE, platform::WA_INACTIVE, 0);
    application.ProcessMessages();
    EXPECT_FALSE(popup()->IsOpen());
    EXPECT_TRUE(changes.empty());
}

TEST_F(ComboBoxTest, AChangeOfTheBoxItselfWhileOpenSurvivesTheClose)
{
    combo->SetItemIndex(0);
    pressCombo();
    bool handled = false;
    combo->MouseWheel(0, -120, handled);
    EXPECT_EQ(combo->ItemIndex(), 1);
    popup()->ClosePopup();
    EXPECT_EQ(combo->ItemIndex(), 1) << "only browsing the list is undone";
}

TEST_F(ComboBoxTest, EnterInTheListPicksTheBrowsedItem)
{
    pressCombo();
    TvxScene& popupScene = popup()->PopupForm()->Scene();
    popupScene.KeyDown(platform::VK_DOWN, 0);
    popupScene.KeyDown(platform::VK_DOWN, 0);
    EXPECT_TRUE(changes.empty());
    popupScene.KeyDown(platform::VK_RETURN, 0);
    EXPECT_FALSE(popup()->IsOpen());
    EXPECT_EQ(changes, std::vector<int> { 1 });
}

TEST_F(ComboBoxTest, TheCloseWaitsForTheFadeThenTheWindowGoes)
{
    pressCombo();
    advance(200);
    EXPECT_FLOAT_EQ(list()->Opacity(), 1) << "faded in";
    platform::HWND window = popup()->PopupForm()->Handle();
    popup()->ClosePopup();
    EXPECT_FALSE(popup()->IsOpen());
    EXPECT_TRUE(popup()->Closing());
    pressCombo();
    EXPECT_FALSE(popup()->IsOpen()) << "no opening while the close fades";
    advance(200);
    EXPECT_FALSE(popup()->Closing());
    EXPECT_EQ(popup()->Parent(), combo) << "back with the box";
    EXPECT_FALSE(popup()->Visible());
    application.ProcessMessages();
    EXPECT_FALSE(platform::IsWindow(window));
}

TEST_F(ComboBoxTest, WheelAndKeys)
{
    combo->SetFocus();
    struct Step {
        const char* what;
        std::function<void()> act;
        int expected;
    };
    bool handled = false;
    auto wheel = [&](int delta) {
        handled = false;
        combo->MouseWheel(0, delta, handled);
        EXPECT_TRUE(handled);
    };
    const Step steps[] = {
        { "wheel down from none", [&] { wheel(-120); }, 0 },
        { "wheel down", [&] { wheel(-120); }, 1 },
        { "wheel up", [&] { wheel(120); }, 0 },
        { "wheel up on the first", [&] { wheel(120); }, 0 },
        { "End", [&] { scene->KeyDown(platform::VK_END, 0); }, 3 },
        { "Down on the last", [&] { scene->KeyDown(platform::VK_DOWN, 0); }, 3 },
        { "Left", [&] { scene->KeyDown(platform::VK_LEFT, 0); }, 2 },
        { "Home", [&] { scene->KeyDown(platform::VK_HOME, 0); }, 0 },
        { "Right", [&] { scene->KeyDown(platform::VK_RIGHT, 0); }, 1 },
        { "a letter", [&] { scene->Character(U'g', 0); }, 2 },
        { "a letter no item starts with", [&] { scene->Character(U'z', 0); }, 2 },
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(combo->ItemIndex(), step.expected) << step.what;
    }
    EXPECT_FALSE(popup()->IsOpen());
    scene->KeyDown(platform::VK_DOWN, kAltKey);
    EXPECT_TRUE(popup()->IsOpen()) << "Alt+Down drops the list";
}

TEST_F(ComboBoxTest, PaintsTheSelectedItemIntoTheBox)
{
    EXPECT_EQ(textPixels(), 0);
    combo->SetItemIndex(1);
    int beta = textPixels();
    EXPECT_GT(beta, 10);
    EXPECT_FLOAT_EQ(list()->ItemByIndex(1)->Height(), 19) << "the item gets its row size back";
    combo->SetItemIndex(-1);
    EXPECT_EQ(textPixels(), 0);
}

TEST_F(ComboBoxTest, ALongTextStaysInsideTheBox)
{
    auto pixelsRightOfTheBox = [&] {
        frame();
        std::vector<std::uint32_t> pixels;
        for (int y = 30; y < 52; ++y)
            for (int x = 125; x < 320; ++x)
                pixels.push_back(scene->Buffer().ConstBits()[y * scene->Width() + x]);
        return pixels;
    };
    auto before = pixelsRightOfTheBox();
    combo->Items().SetLines({ std::string(10000, 'W'), "", "\t\r\n" });
    combo->SetItemIndex(0);
    EXPECT_EQ(pixelsRightOfTheBox(), before);
    combo->SetItemIndex(1);
    combo->SetItemIndex(2);
    frame();
}

TEST_F(ComboBoxTest, LoadsFromTheTextForm)
{
    // The stored index survives whatever is read between it and the items.
    const char* between[] = { "", "  TextAlign = vgTextAlignNear\n", "  ItemHeight = 25.0\n" };
    for (const char* property : between) {
        std::string text = std::string("object TvxStringComboBox\n"
                                       "  Width = 120.0\n"
                                       "  Height = 22.0\n"
                                       "  ItemIndex = 2\n")
            + property
            + "  Items.strings = (\n"
              "    '5'\n"
              "    '10'\n"
              "    '30')\n"
              "end\n";
        ComponentPtr<TvxObject> loaded(CreateObjectFromStream(ObjectTextToBinary(text), nullptr));
        auto* stored = dynamic_cast<TvxStringComboBox*>(loaded.get());
        ASSERT_NE(stored, nullptr) << property;
        EXPECT_EQ(stored->Count(), 3) << property;
        EXPECT_EQ(stored->ItemIndex(), 2) << property;
        ASSERT_NE(stored->ListBox()->Selected(), nullptr) << property;
        EXPECT_EQ(stored->ListBox()->Selected()->Text(), "30") << property;
        EXPECT_EQ(stored->Resource(), "comboboxstyle") << property;
    }
}
