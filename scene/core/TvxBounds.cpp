// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxBounds.h"

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/PointText.h"
#include "scene/core/TvxFiler.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxBounds, TvxPersistent)
{
    c.Float("Left", &TvxBounds::Left, &TvxBounds::SetLeft).NeverStored();
    c.Float("Top", &TvxBounds::Top, &TvxBounds::SetTop).NeverStored();
    c.Float("Right", &TvxBounds::Right, &TvxBounds::SetRight).NeverStored();
    c.Float("Bottom", &TvxBounds::Bottom, &TvxBounds::SetBottom).NeverStored();
}

TvxBounds::TvxBounds(TvxRect defaultValue)
    : m_rect(defaultValue)
    , m_default(defaultValue)
{
}

void TvxBounds::Assign(const TvxPersistent& source)
{
    const TvxBounds* other = &SourceAs<TvxBounds>(source);
    SetRect(other->m_rect);
}

void TvxBounds::DefineProperties(TvxFiler& filer)
{
    filer.DefineProperty(
        "Rect",
        [this](ObjectReader& reader) {
            auto values = ParsePointText(reader.ReadText(), 4);
            SetRect(values ? TvxRect { (*values)[0], (*values)[1], (*values)[2], (*values)[3] } : TvxRect {});
        },
        [this](ObjectWriter& writer) {
            float values[] = { m_rect.Left, m_rect.Top, m_rect.Right, m_rect.Bottom };
            writer.WriteText(FormatPointText(values));
        },
        m_rect != m_default);
}

}
