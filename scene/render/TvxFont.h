// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The font of text elements: size in pixels at 96 dots per inch, family, style and
// whether text is antialiased for subpixels.

#include "scene/core/TvxSubRecord.h"
#include "scene/render/RenderEnums.h"

#include <string>

namespace nimbrell {

class TvxFont : public TvxSubRecord {
    NIMBRELL_CLASS(TvxFont)
public:
    static constexpr float kDefaultSize = 11;
    static constexpr const char* kDefaultFamily = "Tahoma";

    TvxFont() = default;

    float Size() const { return m_size; }
    void SetSize(float value) { UpdateField(m_size, value); }
    const std::string& Family() const { return m_family; }
    void SetFamily(std::string_view value) { UpdateField(m_family, std::string(value)); }
    TvxFontStyle Style() const { return m_style; }
    void SetStyle(TvxFontStyle value) { UpdateField(m_style, value); }
    bool ClearType() const { return m_clearType; }
    void SetClearType(bool value) { UpdateField(m_clearType, value); }

    void Assign(const TvxPersistent& source) override;

private:
    float m_size { kDefaultSize };
    std::string m_family { kDefaultFamily };
    TvxFontStyle m_style { TvxFontStyle::vgFontRegular };
    bool m_clearType { true };
};

}
