// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxScrollBox.h"

#include "scene/anim/TvxFloatAnimation.h"
#include "scene/controls/ScrollRange.h"
#include "scene/controls/TvxScrollBar.h"

#include <algorithm>

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxScrollContent, TvxVisualObject)
{
}

NIMBRELL_DEFINE_CLASS(TvxScrollBox, TvxControl)
{
    c.Enum("AutoHide", &TvxScrollBox::AutoHide, &TvxScrollBox::SetAutoHide).Default(true);
    c.Enum("DisableMouseWheel", &TvxScrollBox::DisableMouseWheel, &TvxScrollBox::SetDisableMouseWheel).Default(false);
    c.Enum("Animated", &TvxScrollBox::Animated, &TvxScrollBox::SetAnimated).Default(true);
    c.Enum("UseSmallScrollBars", &TvxScrollBox::UseSmallScrollBars, &TvxScrollBox::SetUseSmallScrollBars).Default(false);
    c.Enum("ShowScrollBars", &TvxScrollBox::ShowScrollBars, &TvxScrollBox::SetShowScrollBars).Default(true);
    c.Enum("ShowSizeGrip", &TvxScrollBox::ShowSizeGrip, &TvxScrollBox::SetShowSizeGrip).Default(false);
    c.Enum("MouseTracking", &TvxScrollBox::MouseTracking, &TvxScrollBox::SetMouseTracking).Default(false);
}

TvxScrollContent::TvxScrollContent(TvxComponent* owner)
    : TvxVisualObject(owner)
{
    SetHitTest(false);
    // Its area is its own, not the union of what it holds: a change of one of
    // thousands of rows does not make every other row count again.
    SetClipChildren(true);
}

void TvxScrollContent::AddObject(TvxObject* object)
{
    TvxVisualObject::AddObject(object);
    if (m_box && object && object->Parent() == this)
        m_box->ContentAdded(object);
}

void TvxScrollContent::RemoveObject(TvxObject* object)
{
    if (m_box && object && object->Parent() == this)
        m_box->ContentRemoving(object);
    TvxVisualObject::RemoveObject(object);
}

TvxScrollBox::TvxScrollBox(TvxComponent* owner)
    : TvxControl(owner)
{
    SetAutoCapture(true);
    m_content = new TvxScrollContent(nullptr);
    m_content->SetStored(false);
    m_content->SetLocked(true);
    m_content->SetScrollBox(this);
    TvxControl::AddObject(m_content);
}

TvxScrollBox::~TvxScrollBox() = default;

void TvxScrollBox::BeforeDestruction()
{
    if (m_content)
        m_content->SetScrollBox(nullptr);
    TvxControl::BeforeDestruction();
    m_content = nullptr;
}

void TvxScrollBox::SetUseSmallScrollBars(bool value)
{
    if (m_useSmallScrollBars == value)
        return;
    m_useSmallScrollBars = value;
    if (StyleClone())
        ResourceApplied();
}

void TvxScrollBox::SetShowScrollBars(bool value)
{
    if (m_showScrollBars == value)
        return;
    m_showScrollBars = value;
    Realign();
}

void TvxScrollBox::SetShowSizeGrip(bool value)
{
    m_showSizeGrip = value;
    if (auto* grip = StylePart<TvxVisualObject>("sizegrip"))
        grip->SetVisible(value);
}

void TvxScrollBox::AddObject(TvxObject* object)
{
    if (object && object != StyleClone() && object != m_content && object->IsVisual()) {
        m_content->AddObject(object);
        return;
    }
    TvxControl::AddObject(object);
}

void TvxScrollBox::BindBar(TvxScrollBar*& slot, TvxScrollBar* bar, bool vertical)
{
    if (slot)
        slot->OnChange.Clear();
    slot = bar;
    if (!bar)
        return;
    bar->SetLocked(true);
    (vertical ? m_vBarAlign : m_hBarAlign) = bar->Align();
    bar->OnChange.Set([this, vertical](TvxObject*) { BarChanged(vertical); });
}

void TvxScrollBox::ResourceApplied()
{
    TvxControl::ResourceApplied();
    auto* vSmall = StylePart<TvxScrollBar>("vsmallscrollbar");
    auto* hSmall = StylePart<TvxScrollBar>("hsmallscrollbar");
    auto* vNormal = StylePart<TvxScrollBar>("vscrollbar");
    auto* hNormal = StylePart<TvxScrollBar>("hscrollbar");
    bool small = m_useSmallScrollBars && vSmall && hSmall;
    for (auto* unused : { small ? vNormal : vSmall, small ? hNormal : hSmall }) {
        if (unused)
            unused->SetVisible(false);
    }
    BindBar(m_vBar, small ? vSmall : vNormal, true);
    BindBar(m_hBar, small ? hSmall : hNormal, false);
    if (auto* grip = StylePart<TvxVisualObject>("sizegrip"))
        grip->SetVisible(m_showSizeGrip);
    m_viewport = StylePart<TvxVisualObject>("content");
    if (m_viewport)
        m_viewport->AddObject(m_content);
    Realign();
}

void TvxScrollBox::ResourceReleasing()
{
    if (m_scrollAnimation)
        m_scrollAnimation->Stop();
    m_scrollAnimation = nullptr;
    BindBar(m_vBar, nullptr, true);
    BindBar(m_hBar, nullptr, false);
    // The content outlives the style it lies in.
    TvxControl::AddObject(m_content);
    m_viewport = nullptr;
    TvxControl::ResourceReleasing();
}

TvxRect TvxScrollBox::ContentExtent()
{
    TvxRect extent { 0, 0, m_viewport->Width(), m_viewport->Height() };
    for (TvxObject* child : m_content->Children()) {
        auto* visual = child->Visual();
        if (!visual || !visual->Visible())
            continue;
        extent.Right = std::max(extent.Right, visual->Position().X() + visual->Width());
        extent.Bottom = std::max(extent.Bottom, visual->Position().Y() + visual->Height());
    }
    return extent;
}

void TvxScrollBox::Realign()
{
    TvxControl::Realign();
    RealignContent();
}

void TvxScrollBox::RealignContent()
{
    if (m_realigning || !m_viewport || Updating() > 0 || HasState(ComponentState::Loading))
        return;
    m_realigning = true;
    // Bars appearing shrink the viewport, so a second pass may be needed.
    for (int pass = 0; pass < 2; ++pass) {
        float viewportWidth = m_viewport->Width();
        float viewportHeight = m_viewport->Height();
        TvxRect extent = ContentExtent();
        bool vertical = extent.Height() > viewportHeight;
        bool horizontal = extent.Width() > viewportWidth;
        if (!vertical)
            m_offset.Y = 0;
        if (!horizontal)
            m_offset.X = 0;
        m_content->SetBounds(-m_offset.X, -m_offset.Y, std::max(extent.Width(), viewportWidth), extent.Height());
        auto setUp = [&](TvxScrollBar* bar, bool enabled, float content, float viewport, float offset) {
            if (!bar)
                return;
            if (m_autoHide)
                bar->SetVisible(enabled);
            PlaceBar(bar, bar == m_vBar ? m_vBarAlign : m_hBarAlign);
            bar->SetMax(std::max(content, 0.001f));
            bar->SetViewportSize(viewport);
            bar->SetSmallChange(viewport / 5);
            bar->SetValue(offset);
        };
        setUp(m_vBar, vertical, extent.Height(), viewportHeight, m_offset.Y);
        setUp(m_hBar, horizontal, extent.Width(), viewportWidth, m_offset.X);
        if (m_hBar && m_vBar)
            m_hBar->Padding().SetRight(vertical ? m_vBar->Width() : 0);
        TvxControl::Realign();
        if (m_viewport->Width() == viewportWidth && m_viewport->Height() == viewportHeight)
            break;
    }
    m_realigning = false;
}

void TvxScrollBox::PlaceBar(TvxScrollBar* bar, TvxAlign designed)
{
    if (m_showScrollBars) {
        bar->SetOpacity(1);
        bar->SetAlign(designed);
        return;
    }
    // Still there for the wheel and the selection's scrolling, but out of sight
    // and out of the viewport's way.
    bar->SetOpacity(0);
    bar->SetAlign(TvxAlign::vaNone);
    bar->Position().SetPoint({ -bar->Width() - 10000, -bar->Height() - 10000 });
}

void TvxScrollBox::BarChanged(bool vertical)
{
    TvxScrollBar* bar = vertical ? m_vBar : m_hBar;
    if (!bar)
        return;
    float value = bar->Visible() ? bar->Value() : 0;
    if (vertical) {
        m_offset.Y = value;
        m_content->Position().SetY(-value);
    } else {
        m_offset.X = value;
        m_content->Position().SetX(-value);
    }
    Scrolled();
}

void TvxScrollBox::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxControl::MouseDown(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft || !m_mouseTracking)
        return;
    m_down = true;
    m_downPos = { x, y };
    m_downOffset = m_offset;
}

void TvxScrollBox::MouseMove(TvxShiftState shift, float x, float y)
{
    TvxControl::MouseMove(shift, x, y);
    if (!m_down || !(shift & kLeftButton))
        return;
    // The content follows the pointer; the bars keep the offset inside the content.
    if (m_vBar && m_vBar->Visible())
        m_vBar->SetValue(m_downOffset.Y - (y - m_downPos.Y));
    if (m_hBar && m_hBar->Visible())
        m_hBar->SetValue(m_downOffset.X - (x - m_downPos.X));
}

void TvxScrollBox::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    if (button == TvxMouseButton::mbLeft)
        m_down = false;
    TvxControl::MouseUp(button, shift, x, y);
}

void TvxScrollBox::MouseWheel(TvxShiftState shift, int delta, bool& handled)
{
    TvxControl::MouseWheel(shift, delta, handled);
    if (m_disableMouseWheel || handled)
        return;
    TvxScrollBar* bar = m_vBar && m_vBar->Visible() ? m_vBar : m_hBar && m_hBar->Visible() ? m_hBar
                                                                                           : nullptr;
    if (!bar)
        return;
    float target = WheelTarget(bar->Value(), bar->SmallChange(), delta);
    if (!m_animated) {
        bar->SetValue(target);
    } else {
        if (m_scrollAnimation && m_scrollAnimation->Parent() != bar) {
            m_scrollAnimation->Stop();
            m_scrollAnimation->Free();
            m_scrollAnimation = nullptr;
        }
        if (!m_scrollAnimation) {
            m_scrollAnimation = new TvxFloatAnimation(nullptr);
            m_scrollAnimation->SetStored(false);
            m_scrollAnimation->SetDuration(ScrollAnimationSeconds);
            m_scrollAnimation->SetInterpolation(TvxInterpolationType::vgInterpolationQuadratic);
            m_scrollAnimation->SetAnimationType(TvxAnimationType::vgAnimationOut);
            bar->AddObject(m_scrollAnimation);
            m_scrollAnimation->SetPropertyName("Value");
        }
        m_scrollAnimation->StopAtCurrent();
        m_scrollAnimation->SetStartValue(bar->Value());
        m_scrollAnimation->SetStopValue(target);
        m_scrollAnimation->Start();
    }
    handled = true;
}

}
