// SPDX-License-Identifier: GPL-3.0-or-later
#include "update/UpdateDownload.h"

namespace nimbrell {

UpdateDownload::UpdateDownload(const UpdateOffer& offer, DownloadFolder folder, platform::HWND window,
    DownloadOptions options, WorkerStarter start)
    : m_offer(offer)
    , m_folder(std::move(folder))
    , m_window(window)
    , m_options(options)
    , m_start(std::move(start))
{
    if (MayReceive(m_folder, m_offer.name))
        m_downloadPath = m_folder.path + "/" + m_offer.name;
    m_view.description = m_offer.description;
    m_view.status = UpdateTexts::Connecting;
    m_view.failure = UpdateTexts::ConnectionFailed;
}

std::string DownloadFailureText(const DownloadOutcome& outcome, const std::string& folder)
{
    std::string cause;
    switch (outcome.failure) {
    case DownloadFailure::None:
    case DownloadFailure::Connection:
        return UpdateTexts::ConnectionFailed;
    case DownloadFailure::RefusedName:
        cause = "更新提供的文件名不能使用";
        break;
    case DownloadFailure::TimedOut:
        cause = "服务器响应超时";
        break;
    case DownloadFailure::HttpStatus:
        cause = outcome.httpStatus > 0 ? "服务器回答 HTTP " + std::to_string(outcome.httpStatus) : "服务器的回答无法读取";
        break;
    case DownloadFailure::Incomplete:
        cause = "文件没有完整下载";
        break;
    case DownloadFailure::Certificate:
        cause = "服务器的证书未通过验证";
        break;
    case DownloadFailure::TooLarge:
        cause = "文件过大";
        break;
    case DownloadFailure::DigestMismatch:
        cause = "文件校验值不符";
        break;
    case DownloadFailure::FolderNotWritable:
        cause = "无法写入文件夹 " + folder;
        break;
    case DownloadFailure::WriteFailed:
        cause = "文件写入失败";
        break;
    }
    return UpdateTexts::FailedBefore + cause + UpdateTexts::FailedAfter;
}

void UpdateDownload::PressUpdate()
{
    if (m_state != State::Offer)
        return;
    if (m_downloadPath.empty()) {
        enterFailed(DownloadOutcome { DownloadFailure::RefusedName, 0, {} });
        return;
    }
    m_state = State::Downloading;
    m_view.layout = UpdateWindowView::Layout::Progress;
    m_view.updateButtonEnabled = false;
    m_start(DownloadRequest { m_offer.url, m_window, m_folder.path, m_offer.name, m_offer.sha256, m_options, m_outcome });
}

UpdateWindowAction UpdateDownload::PressSecondButton()
{
    if (m_view.secondButtonText != UpdateTexts::Close)
        return UpdateWindowAction::CloseWindow;
    if (m_saved)
        return UpdateWindowAction::CloseWindowAndProgram;
    m_closeWhenSaved = true;
    return UpdateWindowAction::None;
}

UpdateWindowAction UpdateDownload::HandleMessage(std::uint32_t message, platform::LPARAM lParam)
{
    if (m_state != State::Downloading && m_state != State::Done)
        return UpdateWindowAction::None;
    switch (message) {
    case kDownloadProgressMessage:
        showProgress(static_cast<int>(lParam));
        break;
    case kDownloadFailedMessage:
        if (lParam == 1)
            enterFailed(m_outcome->Load());
        break;
    case kDownloadSavedMessage:
        m_saved = true;
        m_savedName = m_outcome->Load().savedName;
        if (m_state == State::Done)
            enterDone();
        // Without a declared length no percentage came; the file is complete now.
        if (m_state == State::Downloading)
            showProgress(100);
        if (m_closeWhenSaved)
            return UpdateWindowAction::CloseWindowAndProgram;
        break;
    default:
        break;
    }
    return UpdateWindowAction::None;
}

void UpdateDownload::showProgress(int percent)
{
    m_view.progress = percent;
    m_view.status = UpdateTexts::Progress + std::to_string(percent) + "%";
    if (percent == 100)
        enterDone();
}

void UpdateDownload::enterDone()
{
    m_state = State::Done;
    // Until the worker names the file, the offered name; a file of that name
    // may have been there, and the new one then went under a fresh name.
    const std::string& name = m_savedName.empty() ? m_offer.name : m_savedName;
    if (m_folder.isProgramDirectory)
        m_view.status = UpdateTexts::Done + name;
    else
        m_view.status = UpdateTexts::DoneElsewhereBefore + m_folder.path + UpdateTexts::DoneElsewhereAfter + name;
    m_view.updateButtonVisible = false;
    m_view.secondButtonText = UpdateTexts::Close;
}

void UpdateDownload::enterFailed(const DownloadOutcome& outcome)
{
    m_state = State::Failed;
    m_view.failure = DownloadFailureText(outcome, m_folder.path);
    m_closeWhenSaved = false;
    m_view.layout = UpdateWindowView::Layout::Failure;
    m_view.updateButtonVisible = false;
    m_view.secondButtonText = UpdateTexts::Cancel;
}

}
