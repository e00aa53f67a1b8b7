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
}

void UpdateDownload::PressUpdate()
{
    if (m_state != State::Offer)
        return;
    if (m_downloadPath.empty()) {
        enterFailed();
        return;
    }
    m_state = State::Downloading;
    m_view.layout = UpdateWindowView::Layout::Progress;
    m_view.updateButtonEnabled = false;
    m_start(DownloadRequest { m_offer.url, m_window, m_downloadPath, m_offer.sha256, m_options });
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
            enterFailed();
        break;
    case kDownloadSavedMessage:
        m_saved = true;
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
    if (m_folder.isProgramDirectory)
        m_view.status = UpdateTexts::Done + m_offer.name;
    else
        m_view.status = UpdateTexts::DoneElsewhereBefore + m_folder.path + UpdateTexts::DoneElsewhereAfter + m_offer.name;
    m_view.updateButtonVisible = false;
    m_view.secondButtonText = UpdateTexts::Close;
}

void UpdateDownload::enterFailed()
{
    m_state = State::Failed;
    m_closeWhenSaved = false;
    m_view.layout = UpdateWindowView::Layout::Failure;
    m_view.updateButtonVisible = false;
    m_view.secondButtonText = UpdateTexts::Cancel;
}

}
