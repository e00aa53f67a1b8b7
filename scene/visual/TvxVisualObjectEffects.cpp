// SPDX-License-Identifier: GPL-3.0-or-later
// The effect cache: which effects an object has, when their images are stale, and
// rendering or redrawing them.

#include "scene/visual/TvxVisualObject.h"

#include "scene/core/ISceneHost.h"
#include "scene/render/TvxBitmap.h"
#include "scene/render/TvxCanvas.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace nimbrell {

namespace {

// An effect bitmap never grows past this many pixels a side, nor past this area.
constexpr float kMaxEffectSide = 8192;
constexpr float kMaxEffectArea = 16 * 1024 * 1024;

// The scale at which an effect's area (local units) becomes its image: the object's
// absolute scale, shrunk along an axis that passes the side cap and then along both
// so the image keeps within the area cap. None when the image would
// be empty or its size is not a number.
std::optional<TvxPoint> EffectImageScale(const TvxRect& area, TvxPoint scale)
{
    const float w = area.Right * scale.X - area.Left * scale.X, h = area.Bottom * scale.Y - area.Top * scale.Y;
    if (!std::isfinite(w) || !std::isfinite(h) || w < 1 || h < 1)
        return std::nullopt;
    const float kx = std::min(1.0f, kMaxEffectSide / w), ky = std::min(1.0f, kMaxEffectSide / h);
    const float k = std::min(1.0f, std::sqrt(kMaxEffectArea / (w * kx) / (h * ky)));
    if (kx * k < 1)
        scale.X *= kx * k;
    if (ky * k < 1)
        scale.Y *= ky * k;
    return scale;
}

}

void TvxVisualObject::RecalcHasEffects()
{
    m_hasEffects = false;
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled()) {
            m_hasEffects = true;
            return;
        }
    }
}

void TvxVisualObject::UpdateEffects()
{
    // Rendering into the effect bitmap moves the object about; that is no change.
    if (m_inPaintTo)
        return;
    m_updateEffects = true;
    for (TvxVisualObject* p = VisualParent(); p; p = p->VisualParent()) {
        if (!p->HasEffects())
            continue;
        p->m_updateEffects = true;
        // Its effects draw around the whole subtree, past this object's own area.
        p->Repaint();
    }
}

void TvxVisualObject::EffectChanged()
{
    RecalcHasEffects();
    UpdateEffects();
    RecalcUpdateRect();
    Repaint();
}

bool TvxVisualObject::EffectsDrawAfter() const
{
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled() && effect->EffectAfterPaint())
            return true;
    }
    return false;
}

bool TvxVisualObject::EffectReplacesObject() const
{
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled() && effect->EffectDisablesPaint())
            return true;
    }
    return false;
}

TvxRect TvxVisualObject::EffectRect()
{
    TvxRect r = LocalRect();
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (effect && effect->EffectEnabled())
            r = UnionRect(r, effect->GetRect(LocalRect()));
    }
    return r;
}

const TvxBitmap* TvxVisualObject::EffectBitmap(TvxObject* effect) const
{
    const IEffectRole* role = effect ? effect->AsEffect() : nullptr;
    for (const EffectImage& image : m_effectImages) {
        if (role && image.effect == role)
            return image.bitmap.get();
    }
    return nullptr;
}

bool TvxVisualObject::EffectImagesStale(float deviceScale) const
{
    // Images made for another device scale would show enlarged or shrunk.
    return m_updateEffects || (!m_effectImages.empty() && m_effectDeviceScale != deviceScale);
}

void TvxVisualObject::RenderStaleEffectsBelow(float deviceScale)
{
    ForEachVisualChild([&](TvxVisualObject& child) {
        if (!child.m_visible)
            return;
        if (child.Scene() != Scene())
            child.SetScene(Scene());
        child.RenderStaleEffectsBelow(deviceScale);
        if (child.HasEffects() && child.EffectImagesStale(deviceScale))
            child.RenderEffectImages(deviceScale);
    });
}

void TvxVisualObject::RenderEffectImages(float deviceScale)
{
    const TvxRect local { 0, 0, m_width, m_height };
    std::vector<EffectImage> old = std::move(m_effectImages);
    m_effectImages.clear();
    m_effectDeviceScale = deviceScale;
    const TvxPoint s { AbsoluteScale().X * deviceScale, AbsoluteScale().Y * deviceScale };
    for (int i = 0; i < ChildrenCount(); ++i) {
        IEffectRole* effect = Child(i)->AsEffect();
        if (!effect || !effect->EffectEnabled())
            continue;
        const TvxRect area = effect->GetRect(local);
        const auto k = EffectImageScale(area, s);
        if (!k)
            continue;
        const int w = static_cast<int>(area.Right * k->X - area.Left * k->X), h = static_cast<int>(area.Bottom * k->Y - area.Top * k->Y);
        if (w <= 0 || h <= 0)
            continue;
        // Reuse the effect's previous bitmap, resized only when its size changed.
        auto reused = std::find_if(old.begin(), old.end(), [&](const EffectImage& image) { return image.effect == effect && image.bitmap; });
        std::unique_ptr<TvxBitmap> bitmap = reused != old.end() ? std::move(reused->bitmap) : std::make_unique<TvxBitmap>(w, h);
        bitmap->SetSize(w, h);
        TvxCanvas& target = bitmap->Canvas();
        {
            TvxCanvasStateGuard targetState(target);
            target.BeginScene();
            target.Clear(0);
            target.SetMatrix(TvxMatrix::Identity());
            const TvxPoint off = effect->GetOffset();
            PaintTo(&target, { off.X * k->X, off.Y * k->Y, (off.X + m_width) * k->X, (off.Y + m_height) * k->Y });
            target.EndScene();
        }
        effect->ProcessEffect(target, *bitmap, k->X);
        m_effectImages.push_back({ effect, std::move(bitmap) });
    }
    // PaintTo leaves the matrix to be worked out again, which repaints the object:
    // nothing changed, and these images are not stale.
    AbsoluteMatrix();
    m_updateEffects = false;
}

void TvxVisualObject::ApplyEffects(TvxCanvas& canvas)
{
    if (ChildrenCount() == 0 || !Scene() || !HasEffects())
        return;
    // An object already being rendered into another's image cannot render itself
    // again: it shows its cache. So the images of the objects below, which show in
    // this one's, are brought up to date first, at this canvas's scale.
    if (!m_inPaintTo && EffectImagesStale(canvas.DeviceScale())) {
        RenderStaleEffectsBelow(canvas.DeviceScale());
        RenderEffectImages(canvas.DeviceScale());
    }
    const TvxRect local { 0, 0, m_width, m_height };
    const float opacity = AbsoluteOpacity();
    const bool highSpeed = m_rotateAngle == 0;
    TvxCanvasStateGuard state(canvas);
    canvas.SetMatrix(AbsoluteMatrix());
    for (TvxObject* child : Children()) {
        IEffectRole* effect = child->AsEffect();
        if (!effect || !effect->EffectEnabled())
            continue;
        for (const EffectImage& image : m_effectImages) {
            if (image.effect != effect)
                continue;
            const TvxRect source { 0, 0, float(image.bitmap->Width()), float(image.bitmap->Height()) };
            canvas.DrawBitmap(*image.bitmap, source, effect->GetRect(local), opacity, highSpeed);
            break;
        }
    }
}

}
