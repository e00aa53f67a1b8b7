// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The update window: shows an offered build, downloads it on request with a
// progress bar, and offers the mirror pages when the download fails. What it
// shows and does is decided by UpdateDownload; this class carries it onto the
// stored scene and carries the presses and the worker's messages back.
//
// It lives beside the main window rather than with the update logic because it
// needs the scene host and the program's stored windows.

#include "scene/core/TvxComponent.h"
#include "scene/host/TvxForm.h"
#include "scene/host/TvxScene.h"
#include "update/UpdateDownload.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace nimbrell {

class TvxCloseButton;
class TvxHudLabel;
class TvxLayout;
class TvxProgressBar;
class TvxSpeedButton;
class TvxText;

// Sets the element's text so that it stays inside the element's box: as it is
// when it fits, else cut short with "…" after as much as fits.
void SetTextInBox(TvxText& element, std::string_view text);

// Where HudLabel1 leads when no address is configured.
inline constexpr const char* DefaultMirrorPage = "https://nimbrell.example.org/download";

class TFormUpdate final : public SceneWindow {
public:
    static constexpr int ClientWidth = 691;
    static constexpr int ClientHeight = 345;

    struct Options {
        DownloadFolder folder;
        std::string mirrorPage { DefaultMirrorPage };
        DownloadOptions download {};
        UpdateDownload::WorkerStarter start { TTestThread::Start };
        // Asked to end the program (the close button in the done state, once the
        // file is on disk).
        std::function<void()> closeProgram;
    };

    TFormUpdate(const UpdateOffer& offer, Options options);
    ~TFormUpdate() override;

    const UpdateDownload& Model() const { return *m_model; }

    // The stored scene's elements the window drives.
    TvxLayout* Layout1 { nullptr };
    TvxLayout* Layout2 { nullptr };
    TvxLayout* Layout3 { nullptr };
    TvxText* Text2 { nullptr };
    TvxText* Text4 { nullptr };
    TvxText* Text5 { nullptr };
    TvxProgressBar* ProgressBar1 { nullptr };
    TvxSpeedButton* SpeedButton1 { nullptr };
    TvxSpeedButton* SpeedButton2 { nullptr };
    TvxCloseButton* CloseButton1 { nullptr };
    TvxHudLabel* HudLabel1 { nullptr };

protected:
    void OnWindowMessage(platform::Message& message) override;

private:
    void ShowView();
    void Perform(UpdateWindowAction action);

    ComponentPtr<TvxForm> m_design;
    std::unique_ptr<UpdateDownload> m_model;
    std::string m_mirrorPage;
    std::function<void()> m_closeProgram;
};

}
