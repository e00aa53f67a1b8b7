// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FormUpdate.h"

#include "app/StoredWindow.h"
#include "platform/Application.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/shapes/TvxLayout.h"
#include "scene/render/TvxCanvas.h"
#include "scene/shapes/TvxText.h"

#include <vector>

namespace nimbrell {

namespace {

// Whether the text, laid out as the element lays it out, stays inside its box.
bool fitsIn(TvxText& element, TvxCanvas& canvas, std::string_view text)
{
    TvxRect box { 0, 0, element.Width(), element.Height() };
    TvxRect laidOut = box;
    canvas.MeasureText(laidOut, box, text, element.WordWrap(), TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
    // Half a pixel for rounding in the layout.
    return laidOut.Width() <= box.Width() + 0.5f && laidOut.Height() <= box.Height() + 0.5f;
}

}

void SetTextInBox(TvxText& element, std::string_view text)
{
    TvxCanvas* canvas = element.Canvas();
    if (!canvas || text.empty()) {
        element.SetText(text);
        return;
    }
    canvas->Font().Assign(element.Font());
    if (fitsIn(element, *canvas, text)) {
        element.SetText(text);
        return;
    }
    // The longest start, cut between characters, that fits with "…" after it.
    std::vector<std::size_t> cuts { 0 };
    for (std::size_t i = 1; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            cuts.push_back(i);
    }
    auto shortened = [&](std::size_t cut) {
        std::string_view start = text.substr(0, cuts[cut]);
        while (!start.empty() && (start.back() == ' ' || start.back() == '\n'))
            start.remove_suffix(1);
        return std::string(start) + "…";
    };
    std::size_t low = 0, high = cuts.size() - 1;
    while (low < high) {
        std::size_t middle = (low + high + 1) / 2;
        if (fitsIn(element, *canvas, shortened(middle)))
            low = middle;
        else
            high = middle - 1;
    }
    element.SetText(shortened(low));
}

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
    SetTextInBox(*Text5, view.description);
    SetTextInBox(*Text2, view.status);
    SetTextInBox(*Text4, view.failure);
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
