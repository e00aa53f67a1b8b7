#include "scene/render/TvxFont.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxFont, TvxPersistent)
{
    c.Float("Size", &TvxFont::Size, &TvxFont::SetSize).StoredWhen([](const TvxFont& f) { return f.Size() != kDefaultSize; });
    c.Text("Family", &TvxFont::Family, &TvxFont::SetFamily).StoredWhen([](const TvxFont& f) { return f.Family() != kDefaultFamily; });
    c.Enum("Style", &TvxFont::Style, &TvxFont::SetStyle).Default(TvxFontStyle::vgFontRegular);
    c.Enum("ClearType", &TvxFont::ClearType, &TvxFont::SetClearType).Default(true);
}

void TvxFont::Changed()
{
    if (m_assigning > 0) {
        m_changedWhileAssigning = true;
        return;
    }
    if (OnChanged)
        OnChanged();
}

void TvxFont::Assign(const TvxPersistent& source)
{
    auto* other = dynamic_cast<const TvxFont*>(&source);
    if (!other) {
        TvxPersistent::Assign(source);
        return;
    }
    ++m_assigning;
    SetSize(other->m_size);
    SetFamily(other->m_family);
    SetStyle(other->m_style);
    SetClearType(other->m_clearType);
    --m_assigning;
    // One notification for the whole copy, and none when nothing changed.
    if (m_changedWhileAssigning && m_assigning == 0) {
        m_changedWhileAssigning = false;
        Changed();
    }
}

}
