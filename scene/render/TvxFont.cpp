// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxFont.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxFont, TvxPersistent)
{
    c.Float("Size", &TvxFont::Size, &TvxFont::SetSize).StoredWhen([](const TvxFont& f) { return f.Size() != kDefaultSize; });
    c.Text("Family", &TvxFont::Family, &TvxFont::SetFamily).StoredWhen([](const TvxFont& f) { return f.Family() != kDefaultFamily; });
    c.Enum("Style", &TvxFont::Style, &TvxFont::SetStyle).Default(TvxFontStyle::vgFontRegular);
    c.Enum("ClearType", &TvxFont::ClearType, &TvxFont::SetClearType).Default(true);
}

void TvxFont::Assign(const TvxPersistent& source)
{
    const TvxFont& other = SourceAs<TvxFont>(source);
    // One notification for the whole copy, and none when nothing changed.
    ChangeAtOnce([&] {
        SetSize(other.m_size);
        SetFamily(other.m_family);
        SetStyle(other.m_style);
        SetClearType(other.m_clearType);
    });
}

}
