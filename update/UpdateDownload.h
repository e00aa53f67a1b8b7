// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the update window shows and does, apart from the window itself: the
// offer, the download's progress, the done and the failed states. The window
// draws View() after every call and carries out the returned action.
//
//   UpdateDownload model(offer, ChooseDownloadFolder(...), Handle());
//   SpeedButton1 (update)  -> model.PressUpdate()
//   SpeedButton2 (cancel)  -> act on model.PressSecondButton()
//   CloseButton1           -> close the window; a running download goes on
//   2025 / 2026 / 2027     -> act on model.HandleMessage(code, lParam)

#include "platform/Message.h"
#include "update/DownloadTarget.h"
#include "update/DownloadThread.h"
#include "update/UpdateThread.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace nimbrell {

namespace UpdateTexts {
inline constexpr const char* Connecting = "状态：正在连接服务器，请稍等……";
inline constexpr const char* Progress = "状态：正在更新中...... ";
inline constexpr const char* Done = "更新完成，程序自动关闭，请重新运行：";
// The done text when the file went to the user's download folder, around that folder.
inline constexpr const char* DoneElsewhereBefore = "更新完成，文件已保存到 ";
inline constexpr const char* DoneElsewhereAfter = "，程序自动关闭，请重新运行：";
// The failure notice (Text4): the cause, and the mirror list below it.
inline constexpr const char* ConnectionFailed = "服务器连接失败，请选择镜像站下载";
inline constexpr const char* FailedBefore = "下载失败：";
inline constexpr const char* FailedAfter = "，请选择镜像站下载";
inline constexpr const char* Update = "更  新";
inline constexpr const char* Cancel = "取  消";
inline constexpr const char* Close = "关  闭";
}

struct UpdateWindowView {
    enum class Layout {
        Offer,    // Layout2: "发现新版本：" and the description
        Progress, // Layout1: the status text and the bar
        Failure,  // Layout3: the failure notice and the mirror links
    };
    Layout layout { Layout::Offer };
    std::string description; // Text5
    std::string status;      // Text2
    std::string failure;     // Text4
    int progress { 0 };      // ProgressBar1's value; may pass its maximum of 100
    bool updateButtonVisible { true };
    bool updateButtonEnabled { true };
    std::string secondButtonText { UpdateTexts::Cancel }; // SpeedButton2
};

// Text4's text for a failed download: what went wrong, in the user's words.
std::string DownloadFailureText(const DownloadOutcome& outcome, const std::string& folder);

enum class UpdateWindowAction {
    None,
    CloseWindow,
    CloseWindowAndProgram,
};

class UpdateDownload {
public:
    enum class State {
        Offer,
        Downloading,
        Done,
        Failed
    };
    using WorkerStarter = std::function<void(DownloadRequest)>;

    // `window` receives the worker's messages. The offered name is checked
    // here: a name the folder may not receive (MayReceive) leaves
    // DownloadPath() empty, and the update button leads to the failed state
    // without any download.
    UpdateDownload(const UpdateOffer& offer, DownloadFolder folder, platform::HWND window,
        DownloadOptions options = {}, WorkerStarter start = TTestThread::Start);

    const UpdateWindowView& View() const { return m_view; }
    State CurrentState() const { return m_state; }
    const std::string& DownloadPath() const { return m_downloadPath; }
    // The file's name on disk once it is saved: the offered one, or a fresh
    // one when a file of the offered name was there.
    const std::string& SavedName() const { return m_savedName; }
    bool IsFileSaved() const { return m_saved; }

    // Starts the one download of this window; later presses do nothing.
    void PressUpdate();
    // "关  闭" in the done state ends the program, but only once the file is
    // on disk: pressed before that, the window waits for the worker's word.
    // Any other text closes the window alone.
    UpdateWindowAction PressSecondButton();
    // The worker's messages; others are ignored.
    UpdateWindowAction HandleMessage(std::uint32_t message, platform::LPARAM lParam);

private:
    void showProgress(int percent);
    void enterDone();
    void enterFailed(const DownloadOutcome& outcome);

    UpdateOffer m_offer;
    DownloadFolder m_folder;
    platform::HWND m_window { 0 };
    DownloadOptions m_options;
    WorkerStarter m_start;
    std::string m_downloadPath;
    std::shared_ptr<DownloadOutcomeSlot> m_outcome { std::make_shared<DownloadOutcomeSlot>() };
    std::string m_savedName; // the name the file went under, once the worker says so
    State m_state { State::Offer };
    bool m_saved { false };
    bool m_closeWhenSaved { false };
    UpdateWindowView m_view;
};

}
