#include "app/FormUpdate.h"

#include "app/StoredWindow.h"
#include "platform/Application.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/shapes/TvxText.h"

namespace nimbrell {

TFormUpdate::TFormUpdate(const UpdateOffer& offer, Options options)
    : SceneWindow(ClientWidth, ClientHeight)
    , m_mirrorPage(std::move(options.mirrorPage))
    , m_closeProgram(std::move(options.closeProgram))
{
    m_design = ReadStoredWindow("FormUpdate", Scene());
    const TvxForm& design = *m_design;
    Layout1 = StoredElement<TvxLayout>(design, "Layout1");
    Layout2 = StoredElement<TvxLayout>(design, "Layout2");
    Layout3 = StoredElement<TvxLayout>(design, "Layout3");
    Text2 = StoredElement<TvxText>(design, "Text2");
    Text4 = StoredElement<TvxText>(design, "Text4");
    Text5 = StoredElement<TvxText>(design, "Text5");
    ProgressBar1 = StoredElement<TvxProgressBar>(design, "ProgressBar1");
    SpeedButton1 = StoredElement<TvxSpeedButton>(design, "SpeedButton1");
    SpeedButton2 = StoredElement<TvxSpeedButton>(design, "SpeedButton2");
    CloseButton1 = StoredElement<TvxCloseButton>(design, "CloseButton1");
    HudLabel1 = StoredElement<TvxHudLabel>(design, "HudLabel1");

    m_model = std::make_unique<UpdateDownload>(offer, std::move(options.folder), Handle(), options.download,
        std::move(options.start));
    SpeedButton1->OnClick.Set([this](TvxObject*) {
        m_model->PressUpdate();
        ShowView();
    });
    SpeedButton2->OnClick.Set([this](TvxObject*) { Perform(m_model->PressSecondButton()); });
    HudLabel1->OnClick.Set([this](TvxObject*) { platform::Application::Instance().GetBackend().OpenUri(m_mirrorPage); });
    ShowView();
    CentreOnMonitor(*this, ClientWidth, ClientHeight);
}

TFormUpdate::~TFormUpdate() = default;

void TFormUpdate::OnWindowMessage(platform::Message& message)
{
    // Messages of other kinds leave the model as it is.
    Perform(m_model->HandleMessage(message.message, message.lParam));
}

void TFormUpdate::ShowView()
{
    const UpdateWindowView& view = m_model->View();
    Layout2->SetVisible(view.layout == UpdateWindowView::Layout::Offer);
    Layout1->SetVisible(view.layout == UpdateWindowView::Layout::Progress);
    Layout3->SetVisible(view.layout == UpdateWindowView::Layout::Failure);
    Text5->SetText(view.description);
    Text2->SetText(view.status);
    Text4->SetText(view.failure);
    ProgressBar1->SetValue(static_cast<float>(view.progress));
    SpeedButton1->SetVisible(view.updateButtonVisible);
    SpeedButton1->SetEnabled(view.updateButtonEnabled);
    SpeedButton2->SetText(view.secondButtonText);
}

void TFormUpdate::Perform(UpdateWindowAction action)
{
    ShowView();
    switch (action) {
    case UpdateWindowAction::None:
        break;
    case UpdateWindowAction::CloseWindow:
        Scene().CloseForm();
        break;
    case UpdateWindowAction::CloseWindowAndProgram:
        Scene().CloseForm();
        if (m_closeProgram)
            m_closeProgram();
        break;
    }
}

}
