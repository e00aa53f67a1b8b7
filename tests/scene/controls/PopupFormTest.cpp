// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxPopupForm.h"

#include "platform/Application.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/host/TvxBackground.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using namespace nimbrell::platform;

namespace {

class PopupFormTest : public ::testing::Test {
protected:
    PopupFormTest() { RegisterSceneHostClasses(); }

    HeadlessBackend* backend { new HeadlessBackend(ClockKind::Manual) };
    Application application { std::unique_ptr<Backend>(backend) };
    Window owner;
    std::vector<HWND> closeRequests;

    // A popup whose close request releases it, as the popup control does.
    void open(std::unique_ptr<TvxPopupForm>& slot, bool staysOpen = false)
    {
        slot = std::make_unique<TvxPopupForm>(100, 72, &owner);
        auto* form = slot.get();
        HWND handle = form->Handle();
        form->OnCloseRequest = [this, &slot, handle] {
            closeRequests.push_back(handle);
            TvxPopupForm::Release(std::move(slot));
        };
        form->ShowPopup(staysOpen);
    }

    void deactivate(HWND window, HWND activated)
    {
        PostMessage(window, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(activated));
        application.ProcessMessages();
    }
};

}

TEST_F(PopupFormTest, PlacedBelowInsideTheWorkArea)
{
    backend->SetWorkArea({ 0, 0, 800, 600 });
    TvxPopupForm form(100, 72, &owner);
    form.PlaceAt({ 750, 580 });
    EXPECT_EQ(form.Left(), 700);
    EXPECT_EQ(form.Top(), 528);
    form.PlaceAt({ 10, 20 });
    EXPECT_EQ(form.Left(), 10);
    EXPECT_EQ(form.Top(), 20);
}

TEST_F(PopupFormTest, LosingActivationClosesMostRecentFirst)
{
    std::unique_ptr<TvxPopupForm> older, newer;
    open(older);
    open(newer);
    HWND olderHandle = older->Handle();
    HWND newerHandle = newer->Handle();

    deactivate(olderHandle, newerHandle);
    EXPECT_TRUE(closeRequests.empty()) << "a newer popup taking activation closes nothing";
    deactivate(newerHandle, olderHandle);
    EXPECT_EQ(closeRequests, std::vector<HWND> { newerHandle }) << "an older one closes only the newer";
    EXPECT_FALSE(newer);
    EXPECT_TRUE(older);

    open(newer);
    newerHandle = newer->Handle();
    closeRequests.clear();
    deactivate(newerHandle, owner.Handle());
    EXPECT_EQ(closeRequests, (std::vector<HWND> { newerHandle, olderHandle }));
    EXPECT_TRUE(TvxPopupForm::OpenPopups().Windows().empty());
    application.ProcessMessages();
    EXPECT_FALSE(IsWindow(olderHandle)) << "released windows are freed once their messages are handled";
    EXPECT_FALSE(IsWindow(newerHandle));
}

TEST_F(PopupFormTest, StaysOpenIgnoresActivationButClosingTheWindowCloses)
{
    std::unique_ptr<TvxPopupForm> sticky;
    open(sticky, true);
    HWND handle = sticky->Handle();
    deactivate(handle, 0);
    EXPECT_TRUE(closeRequests.empty());

    PostMessage(handle, WM_CLOSE, 0, 0);
    application.ProcessMessages();
    EXPECT_EQ(closeRequests, std::vector<HWND> { handle }) << "asked once, although the release happens inside the close";
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(PopupFormTest, WithoutAHandlerTheWindowJustCloses)
{
    TvxPopupForm form(50, 50, nullptr);
    form.ShowPopup(false);
    HWND handle = form.Handle();
    deactivate(handle, 0);
    EXPECT_TRUE(form.IsClosed());
    EXPECT_FALSE(IsWindow(handle));
}
