// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxPopup.h"

#include "platform/Application.h"
#include "platform/Message.h"
#include "platform/Timer.h"
#include "scene/anim/TvxAnimation.h"
#include "scene/controls/TvxPopupForm.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

using platform::ScreenPoint;

namespace {

// How often a close checks whether its fade has ended.
constexpr std::uint32_t closeWaitInterval = 10;

bool anyRunning(TvxObject& object)
{
    for (TvxObject* child : object.Children()) {
        if (auto* animation = dynamic_cast<TvxAnimation*>(child); animation && animation->Running())
            return true;
        if (anyRunning(*child))
            return true;
    }
    return false;
}

}

NIMBRELL_DEFINE_CLASS(TvxPopup, TvxControl)
{
    c.Enum("IsOpen", &TvxPopup::IsOpen, &TvxPopup::SetIsOpen).Default(false);
    c.Enum("StaysOpen", &TvxPopup::StaysOpen, &TvxPopup::SetStaysOpen).Default(false);
    c.Enum("Placement", &TvxPopup::Placement, &TvxPopup::SetPlacement).Default(TvxPlacement::vgPlacementBottom);
    c.Float("HorizontalOffset", &TvxPopup::HorizontalOffset, &TvxPopup::SetHorizontalOffset);
    c.Float("VerticalOffset", &TvxPopup::VerticalOffset, &TvxPopup::SetVerticalOffset);
    c.Event("OnClosePopup", &TvxPopup::OnClosePopup);
}

TvxPopup::TvxPopup(TvxComponent* owner)
    : TvxControl(owner)
{
    SetVisible(false);
    SetCanFocused(true);
}

TvxPopup::~TvxPopup() = default;

TvxVisualObject* TvxPopup::PlacementTarget() const
{
    return m_placementTarget.As<TvxVisualObject>();
}

void TvxPopup::SetIsOpen(bool value)
{
    if (value == m_isOpen)
        return;
    if (value)
        Popup();
    else
        ClosePopup();
}

ScreenPoint TvxPopup::Anchor(int width, int height)
{
    TvxVisualObject* target = PlacementTarget();
    ISceneHost* scene = target ? target->Scene() : nullptr;
    if (m_placement == TvxPlacement::vgPlacementAbsolute || !scene) {
        return { static_cast<int>(std::lround(m_horizontalOffset)), static_cast<int>(std::lround(m_verticalOffset)) };
    }
    if (m_placement == TvxPlacement::vgPlacementMouse) {
        ScreenPoint cursor = platform::Application::Instance().GetBackend().CursorPosition();
        return { cursor.x + static_cast<int>(std::lround(m_horizontalOffset)), cursor.y + static_cast<int>(std::lround(m_verticalOffset)) };
    }
    TvxRect area = m_placementRectangle.Width() > 0 && m_placementRectangle.Height() > 0
        ? m_placementRectangle
        : TvxRect { 0, 0, target->Width(), target->Height() };
    auto toScreen = [&](float x, float y) {
        TvxPoint point = scene->LocalToScreen(target->LocalToAbsolute({ x, y }));
        return TvxPoint { point.X, point.Y };
    };
    TvxPoint topLeft = toScreen(area.Left, area.Top);
    TvxPoint bottomRight = toScreen(area.Right, area.Bottom);
    TvxPoint offset = target->LocalToAbsoluteVector({ m_horizontalOffset, m_verticalOffset });
    float w = float(width), h = float(height);
    float centreX = (topLeft.X + bottomRight.X - w) / 2, centreY = (topLeft.Y + bottomRight.Y - h) / 2;
    TvxPoint place;
    switch (m_placement) {
    case TvxPlacement::vgPlacementTop: place = { topLeft.X, topLeft.Y - h }; break;
    case TvxPlacement::vgPlacementLeft: place = { topLeft.X - w, topLeft.Y }; break;
    case TvxPlacement::vgPlacementRight: place = { bottomRight.X, topLeft.Y }; break;
    case TvxPlacement::vgPlacementCenter: place = { centreX, centreY }; break;
    case TvxPlacement::vgPlacementBottomCenter: place = { centreX, bottomRight.Y }; break;
    case TvxPlacement::vgPlacementTopCenter: place = { centreX, topLeft.Y - h }; break;
    default: place = { topLeft.X, bottomRight.Y }; break;
    }
    return { static_cast<int>(std::lround(place.X + offset.X)), static_cast<int>(std::lround(place.Y + offset.Y)) };
}

void TvxPopup::Popup()
{
    if (m_closing)
        return;
    if (m_isOpen) {
        ClosePopup();
        return;
    }
    ISceneHost* scene = Scene();
    platform::Window* ownerForm = nullptr;
    if (auto* windowScene = dynamic_cast<TvxScene*>(scene))
        ownerForm = &windowScene->Window();
    TvxPoint scale = AbsoluteScale();
    int width = std::max(1, static_cast<int>(std::lround(Width() * scale.X)));
    int height = std::max(1, static_cast<int>(std::lround(Height() * scale.Y)));

    m_form = std::make_unique<TvxPopupForm>(width, height, ownerForm);
    m_form->PlaceAt(Anchor(width, height));
    TvxScene& popupScene = m_form->Scene();
    popupScene.SetTransparency(true);
    popupScene.SetStyle(m_style ? m_style : scene ? scene->Style()
                                                  : nullptr);

    m_saveParent.Set(Parent());
    m_saveIndex = Parent() ? Index() : -1;
    m_saveScale = Scale().Point();
    Scale().SetPoint(scale);
    popupScene.AddObject(this);
    SetVisible(true);
    ApplyResource();
    m_form->OnCloseRequest = [this] { ClosePopup(); };
    m_form->ShowPopup(m_staysOpen);
    SetFocus();
    m_isOpen = true;
    StartOpenTriggers();
}

void TvxPopup::StartOpenTriggers()
{
    StateChanged("IsOpen");
    // A control the popup holds (a drop-down list) fades with it through its own style.
    for (TvxObject* child : Children()) {
        if (child != StyleClone() && child->IsStyledControl())
            child->StartTriggerAnimation(this, "IsOpen");
    }
}

bool TvxPopup::AnimationsRunning()
{
    return anyRunning(*this);
}

void TvxPopup::ClosePopup()
{
    if (m_closing || !m_isOpen)
        return;
    m_closing = true;
    m_isOpen = false;
    OnBeginClose(this);
    StartOpenTriggers();
    if (!AnimationsRunning()) {
        FinishClose();
        return;
    }
    if (!m_closeWait) {
        m_closeWait = std::make_unique<platform::Timer>();
        m_closeWait->SetInterval(closeWaitInterval);
        m_closeWait->SetOnTimer([this] {
            if (!AnimationsRunning())
                FinishClose();
        });
    }
    m_closeWait->SetEnabled(true);
}

void TvxPopup::FinishClose()
{
    if (m_closeWait)
        m_closeWait->SetEnabled(false);
    SetVisible(false);
    if (m_form)
        m_form->Scene().RemoveObject(this);
    Scale().SetPoint(m_saveScale);
    TvxObject* parent = m_saveParent.Get();
    m_saveParent.Set(nullptr);
    if (parent) {
        parent->AddObject(this);
        if (m_saveIndex >= 0 && m_saveIndex < static_cast<int>(parent->Children().size()))
            SetIndex(m_saveIndex);
    }
    TvxPopupForm::Release(std::move(m_form));
    m_closing = false;
    OnClosePopup(this);
}

void TvxPopup::DialogKey(int& key, TvxShiftState shift)
{
    if (key == platform::VK_ESCAPE && m_isOpen && !m_staysOpen) {
        ClosePopup();
        key = 0;
        return;
    }
    TvxControl::DialogKey(key, shift);
}

void TvxPopup::BeforeDestruction()
{
    // Destroyed while open: the window goes at once, the popup stays with its scene no longer.
    if (m_form) {
        m_isOpen = false;
        if (m_closeWait)
            m_closeWait->SetEnabled(false);
        m_form->Scene().RemoveObject(this);
        m_form->OnCloseRequest = nullptr;
        TvxPopupForm::Release(std::move(m_form));
    }
    m_saveParent.Set(nullptr);
    TvxControl::BeforeDestruction();
}

}
