// SPDX-License-Identifier: GPL-3.0-or-later
// Layout arithmetic: placing the children by their alignment, margins and padding.

#include "scene/visual/TvxVisualObject.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

namespace {

bool IsCorner(TvxAlign a)
{
    return a == TvxAlign::vaTopLeft || a == TvxAlign::vaTopRight || a == TvxAlign::vaBottomLeft || a == TvxAlign::vaBottomRight;
}

// The order in which layout takes the alignment groups.
constexpr TvxAlign kAlignOrder[] = { TvxAlign::vaMostTop, TvxAlign::vaMostBottom, TvxAlign::vaMostLeft, TvxAlign::vaMostRight,
    TvxAlign::vaTop, TvxAlign::vaBottom, TvxAlign::vaLeft, TvxAlign::vaRight, TvxAlign::vaClient, TvxAlign::vaHorizontal,
    TvxAlign::vaVertical, TvxAlign::vaContents, TvxAlign::vaCenter, TvxAlign::vaHorzCenter, TvxAlign::vaVertCenter,
    TvxAlign::vaScale, TvxAlign::vaFit, TvxAlign::vaFitLeft, TvxAlign::vaFitRight, TvxAlign::vaTopRight,
    TvxAlign::vaBottomLeft, TvxAlign::vaBottomRight };

// Whether child goes before listed in its group's list.
bool GoesBefore(TvxAlign a, TvxVisualObject& child, TvxVisualObject& listed)
{
    switch (a) {
    case TvxAlign::vaTop:
    case TvxAlign::vaMostTop:
        return child.Position().Y() < listed.Position().Y();
    case TvxAlign::vaLeft:
    case TvxAlign::vaMostLeft:
        return child.Position().X() < listed.Position().X();
    case TvxAlign::vaRight:
    case TvxAlign::vaMostRight:
        return !(listed.Position().X() + listed.Width() > child.Position().X() + child.Width());
    case TvxAlign::vaBottom:
    case TvxAlign::vaMostBottom:
        return !(listed.Position().Y() + listed.Height() > child.Position().Y() + child.Height());
    default:
        return false;
    }
}

}

void TvxVisualObject::RealignParent()
{
    if (TvxVisualObject* parent = VisualParent())
        parent->Realign();
}

void TvxVisualObject::MarginsChanged()
{
    Realign();
}

void TvxVisualObject::PaddingChanged()
{
    RealignParent();
}

void TvxVisualObject::Realign()
{
    if (HasState(ComponentState::Destroying))
        return;
    if (std::fabs(m_width) < 2 || std::fabs(m_height) < 2)
        return;
    if (m_disableDefaultAlign || m_disableAlign || m_updating > 0)
        return;
    if (IsLoading()) {
        m_lastWidth = m_width;
        m_lastHeight = m_height;
        return;
    }
    if ((m_width != m_lastWidth || m_height != m_lastHeight) && HasEffects())
        UpdateEffects();
    if (!m_needAlign || ChildrenCount() == 0)
        return;
    m_disableAlign = true;
    try {
        TvxRect remaining { m_margins.Left(), m_margins.Top(), m_width - m_margins.Right(), m_height - m_margins.Bottom() };
        std::vector<TvxVisualObject*> group;
        for (TvxAlign align : kAlignOrder) {
            group.clear();
            for (TvxObject* child : Children()) {
                TvxVisualObject* visual = child->Visual();
                if (!visual || !visual->m_visible || visual->m_align != align)
                    continue;
                auto at = std::find_if(group.begin(), group.end(), [&](TvxVisualObject* listed) { return GoesBefore(align, *visual, *listed); });
                group.insert(at, visual);
            }
            for (TvxVisualObject* child : group)
                PlaceChild(*child, remaining);
        }
    } catch (...) {
        m_disableAlign = false;
        throw;
    }
    m_disableAlign = false;
    m_lastWidth = m_width;
    m_lastHeight = m_height;
    Repaint();
}

void TvxVisualObject::PlaceChild(TvxVisualObject& c, TvxRect& r)
{
    using A = TvxAlign;
    const A a = c.m_align;
    const TvxRect p = c.m_padding.Rect();
    const float ow = c.m_width + p.Left + p.Right;
    const float oh = c.m_height + p.Top + p.Bottom;
    float x = r.Left, y = r.Top, w = r.Right - r.Left, h = r.Bottom - r.Top;
    if (w < 0 || IsCorner(a) || a == A::vaLeft || a == A::vaRight || a == A::vaMostLeft || a == A::vaMostRight || a == A::vaVertical)
        w = ow;
    if (h < 0 || IsCorner(a) || a == A::vaTop || a == A::vaBottom || a == A::vaMostTop || a == A::vaMostBottom || a == A::vaHorizontal)
        h = oh;

    auto setSizeAndFinish = [&c](float nx, float ny, float nw, float nh) {
        c.m_position.SetPoint({ nx, ny });
        c.m_width = nw;
        c.m_height = nh;
        c.RecalcUpdateRect();
        c.MatrixChanged();
        c.Realign();
    };

    switch (a) {
    case A::vaTopRight:
        c.m_position.SetX(c.m_position.X() + m_width - m_lastWidth);
        return;
    case A::vaBottomLeft:
        c.m_position.SetY(c.m_position.Y() + m_height - m_lastHeight);
        return;
    case A::vaBottomRight:
        c.m_position.SetPoint({ c.m_position.X() + m_width - m_lastWidth, c.m_position.Y() + m_height - m_lastHeight });
        return;
    case A::vaTop:
    case A::vaMostTop:
        r.Top += h;
        break;
    case A::vaBottom:
    case A::vaMostBottom:
        r.Bottom -= h;
        y = r.Bottom;
        break;
    case A::vaLeft:
    case A::vaMostLeft:
        r.Left += w;
        break;
    case A::vaRight:
    case A::vaMostRight:
        r.Right -= w;
        x = r.Right;
        break;
    case A::vaClient:
        break;
    case A::vaHorizontal:
        h = oh;
        y = c.m_position.Y() - p.Top;
        break;
    case A::vaVertical:
        w = ow;
        x = c.m_position.X() - p.Left;
        break;
    case A::vaCenter:
        x = r.Left + std::trunc((w - ow) / 2);
        y = r.Top + std::trunc((h - oh) / 2);
        w = ow;
        h = oh;
        break;
    case A::vaVertCenter:
        y = r.Top + std::trunc((h - oh) / 2);
        h = oh;
        break;
    case A::vaHorzCenter:
        x = r.Left + std::trunc((w - ow) / 2);
        w = ow;
        break;
    case A::vaContents:
        setSizeAndFinish(p.Left, p.Top, m_width - p.Left - p.Right, m_height - p.Top - p.Bottom);
        return;
    case A::vaScale:
        if (m_lastWidth > 0 && m_lastHeight > 0 && m_width > 0 && m_height > 0) {
            float kx = m_width / m_lastWidth, ky = m_height / m_lastHeight;
            setSizeAndFinish(c.m_position.X() * kx, c.m_position.Y() * ky, c.m_width * kx, c.m_height * ky);
        }
        return;
    case A::vaFit:
    case A::vaFitLeft:
    case A::vaFitRight: {
        TvxRect area { m_margins.Left(), m_margins.Top(), m_width - m_margins.Right(), m_height - m_margins.Bottom() };
        TvxRect box { c.m_position.X() - p.Left, c.m_position.Y() - p.Top, c.m_position.X() + c.m_width + p.Right,
            c.m_position.Y() + c.m_height + p.Bottom };
        float bw = box.Width(), bh = box.Height();
        if (area.Width() * area.Height() != 0) {
            float k = std::max(bw / area.Width(), bh / area.Height());
            if (k >= 1) {
                bw = RoundHalfEven(bw / k);
                bh = RoundHalfEven(bh / k);
            } else if (k > 0) {
                bw = bw / k;
                bh = bh / k;
            }
            box.Left = area.Left + RoundHalfEven((area.Width() - bw) / 2);
            box.Top = area.Top + RoundHalfEven((area.Height() - bh) / 2);
        }
        if (a == A::vaFitLeft)
            box.Left = area.Left;
        else if (a == A::vaFitRight)
            box.Left = area.Right - bw;
        setSizeAndFinish(box.Left + p.Left, box.Top + p.Top, bw - p.Left - p.Right, bh - p.Top - p.Bottom);
        return;
    }
    case A::vaNone:
    case A::vaTopLeft:
        return;
    }

    c.m_position.SetPoint({ x + p.Left, y + p.Top });
    float nw = w - p.Left - p.Right, nh = h - p.Top - p.Bottom;
    if (nw != c.m_width || nh != c.m_height) {
        c.m_width = nw;
        c.m_height = nh;
        c.RecalcUpdateRect();
        c.Realign();
    }
    c.MatrixChanged();
    float aw = c.m_width + p.Left + p.Right, ah = c.m_height + p.Top + p.Bottom;
    if (aw == w && ah == h)
        return;
    // The child kept a size of its own: what remains follows its actual extent.
    switch (a) {
    case A::vaTop:
        r.Top -= h - ah;
        break;
    case A::vaBottom:
        r.Bottom += h - ah;
        break;
    case A::vaLeft:
        r.Left -= w - aw;
        break;
    case A::vaRight:
        r.Right += w - aw;
        break;
    case A::vaClient:
        r.Right += w - aw;
        r.Bottom += h - ah;
        break;
    default:
        break;
    }
}

}
