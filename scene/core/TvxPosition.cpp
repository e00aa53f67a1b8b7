// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxPosition.h"

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/PointText.h"
#include "scene/core/TvxFiler.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxPosition, TvxPersistent)
{
    c.Float("X", &TvxPosition::X, &TvxPosition::SetX).NeverStored();
    c.Float("Y", &TvxPosition::Y, &TvxPosition::SetY).NeverStored();
}

TvxPosition::TvxPosition(TvxPoint defaultValue)
    : m_point(defaultValue)
    , m_default(defaultValue)
{
}

void TvxPosition::Assign(const TvxPersistent& source)
{
    const TvxPosition* other = &SourceAs<TvxPosition>(source);
    SetPoint(other->m_point);
}

void TvxPosition::DefineProperties(TvxFiler& filer)
{
    filer.DefineProperty(
        "Point",
        [this](ObjectReader& reader) {
            auto values = ParsePointText(reader.ReadText(), 2);
            SetPoint(values ? TvxPoint { (*values)[0], (*values)[1] } : TvxPoint {});
        },
        [this](ObjectWriter& writer) {
            float values[] = { m_point.X, m_point.Y };
            writer.WriteText(FormatPointText(values));
        },
        m_point != m_default);
}

}
