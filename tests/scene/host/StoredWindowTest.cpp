// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a stored window: its scene record hands the roots to a live scene,
// the design tools' grid settings are dropped, cursors travel by name, and a
// right press opens the popup menu an object names.

#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxPopupMenu.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxForm.h"
#include "scene/host/TvxScene.h"
#include "scene/shapes/TvxRectangle.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using platform::MakePointParam;
using platform::PostMessage;

namespace {

constexpr const char* storedWindow = R"(object Form1: TvxForm
  Caption = 'C'
  ClientWidth = 200
  ClientHeight = 100
  object vxScene1: TvxScene
    Width = 200
    Height = 100
    Transparency = True
    DesignSnapGridShow = True
    DesignSnapToGrid = False
    DesignSnapToLines = True
    object Root1: TvxBackground
      HitTest = False
      PopupMenu = PopupMenu1
      object Box: TvxRectangle
        Cursor = crHandPoint
        Position.Point = '(10,10)'
        Width = 40.0
        Height = 30.0
        HitTest = False
        Fill.Color = '#FF2060A0'
      end
    end
    object Second: TvxBackground
      HitTest = False
    end
  end
  object PopupMenu1: TvxPopupMenu
    object N1: TvxMenuItem
      Caption = 'Refresh'
    end
    object N2: TvxMenuItem
      Caption = '-'
    end
    object N3: TvxMenuItem
      Caption = 'Hidden'
      Visible = False
    end
    object N4: TvxMenuItem
      Caption = 'Pinned'
      Checked = True
      Enabled = False
    end
  end
end
)";

class StoredWindowTest : public ::testing::Test {
protected:
    StoredWindowTest() { RegisterSceneHostClasses(); }

    platform::HeadlessBackend* backend { new platform::HeadlessBackend(platform::ClockKind::Manual) };
    platform::Application application { std::unique_ptr<platform::Backend>(backend) };
    std::vector<std::uint8_t> binary { ObjectTextToBinary(storedWindow) };
    ComponentPtr<TvxForm> form { new TvxForm(nullptr) };

    void SetUp() override { ReadObjectStream(binary, *form); }
};

}

TEST_F(StoredWindowTest, TheSceneRecordHandsItsRootsToALiveScene)
{
    EXPECT_EQ(form->Caption(), "C");
    EXPECT_EQ(form->ClientWidth(), 200);
    TvxSceneRecord* record = form->SceneRecord();
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->Roots().size(), 2u);
    EXPECT_TRUE(record->Transparency());

    SceneWindow window(200, 100);
    record->AttachTo(window.Scene());
    EXPECT_TRUE(record->Roots().empty()) << "the scene owns the roots now";
    ASSERT_EQ(window.Scene().Roots().size(), 2u);
    EXPECT_EQ(window.Scene().Roots()[0], form->Find<TvxBackground>("Root1"));
    EXPECT_TRUE(window.Scene().Transparency());
    window.Scene().DrawAll();
    EXPECT_EQ(window.Scene().Buffer().Pixel(20, 20), 0xFF2060A0u);
    EXPECT_EQ(window.Scene().Buffer().Pixel(100, 80), 0u) << "transparent where nothing is painted";
}

// The writer stores the grid settings as off whatever was read, so a read drops them;
// cursors are written by name.
TEST_F(StoredWindowTest, GridSettingsAreDroppedAndCursorsTravelByName)
{
    EXPECT_EQ(form->Find<TvxRectangle>("Box")->Cursor(), -21);

    std::vector<std::uint8_t> written;
    ObjectWriter writer(written);
    writer.WriteRoot(*form);
    std::string text = ObjectBinaryToText(written);
    EXPECT_NE(text.find("DesignSnapGridShow = False"), std::string::npos) << text;
    EXPECT_EQ(text.find("= True\n    object"), std::string::npos) << text;
    EXPECT_NE(text.find("Cursor = crHandPoint"), std::string::npos) << text;
    EXPECT_NE(text.find("PopupMenu = PopupMenu1"), std::string::npos) << text;
    EXPECT_NE(text.find("object Second: TvxBackground"), std::string::npos) << text;

    const char* unknownCursor = "object Box: TvxRectangle\n  Cursor = crNoSuchCursor\nend\n";
    ComponentPtr<TvxComponent> box(new TvxRectangle(nullptr));
    EXPECT_THROW(ReadObjectStream(ObjectTextToBinary(unknownCursor), *box), ObjectStreamError);
}

TEST_F(StoredWindowTest, ARightPressOpensTheNamedPopupMenuAtTheMouse)
{
    SceneWindow window(200, 100);
    window.Move(300, 200);
    form->SceneRecord()->AttachTo(window.Scene());
    auto* root = form->Find<TvxBackground>("Root1");
    auto* menu = form->Find<TvxPopupMenu>("PopupMenu1");
    ASSERT_EQ(root->PopupMenu(), menu);

    PostMessage(window.Handle(), platform::WM_RBUTTONDOWN, platform::MK_RBUTTON, MakePointParam(20, 20));
    application.ProcessMessages();
    EXPECT_TRUE(backend->Popups().empty()) << "the root takes no presses while its hit test is off";

    root->SetHitTest(true);
    PostMessage(window.Handle(), platform::WM_RBUTTONDOWN, platform::MK_RBUTTON, MakePointParam(20, 21));
    application.ProcessMessages();
    ASSERT_EQ(backend->Popups().size(), 1u);
    const auto& popup = backend->Popups()[0];
    EXPECT_EQ(popup.at, (platform::ScreenPoint { 320, 221 }));
    EXPECT_EQ(popup.target, menu->Handle());
    EXPECT_EQ(menu->PopupComponent(), root);
    std::vector<platform::MenuEntry> expected {
        { "Refresh", false, true, true, false },
        { "-", true, true, true, false },
        { "Hidden", false, false, true, false },
        { "Pinned", false, true, false, true },
    };
    EXPECT_EQ(popup.entries, expected);

    // Only a visible, enabled item runs its click.
    std::vector<std::string> clicked;
    for (const char* name : { "N1", "N3", "N4" })
        form->Find<TvxMenuItem>(name)->OnClick = [&clicked, name] { clicked.push_back(name); };
    for (int index : { 0, 1, 2, 3, 7 }) {
        PostMessage(popup.target, platform::WM_COMMAND, static_cast<platform::WPARAM>(index), 0);
        application.ProcessMessages();
    }
    EXPECT_EQ(clicked, std::vector<std::string> { "N1" });
}

TEST_F(StoredWindowTest, AFreedMenuIsForgottenAndItemChangesAreReported)
{
    auto* root = form->Find<TvxBackground>("Root1");
    auto* menu = form->Find<TvxPopupMenu>("PopupMenu1");
    int changes = 0;
    menu->OnChange = [&changes] { ++changes; };
    auto* item = form->Find<TvxMenuItem>("N1");
    item->SetChecked(true);
    item->SetChecked(true);
    item->SetCaption("Again");
    EXPECT_EQ(changes, 2) << "only real changes are reported";

    menu->Free();
    EXPECT_EQ(root->PopupMenu(), nullptr);
    root->ContextMenu({ 1, 1 });
    EXPECT_TRUE(backend->Popups().empty());
    // The roots were never attached: the window frees them.
}
