// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A control that shows a text in its style's 'text' part, with the control's font, font
// fill, alignments and word wrap. Texts pass through the translation lookup when the style
// is applied (AutoTranslate); the lookup is the identity.

#include "scene/controls/TvxControl.h"
#include "scene/render/CanvasEnums.h"
#include "scene/render/TvxBrush.h"
#include "scene/render/TvxFont.h"

#include <string>
#include <string_view>

namespace nimbrell {

class TvxText;

class TvxTextControl : public TvxControl {
    NIMBRELL_CLASS(TvxTextControl)
public:
    explicit TvxTextControl(TvxComponent* owner);

    const std::string& Text() const { return m_text; }
    virtual void SetText(std::string_view value);
    TvxFont& Font() { return m_font; }
    const TvxFont& Font() const { return m_font; }
    // Copies the font.
    void SetFont(const TvxFont& font) { m_font.Assign(font); }
    TvxBrush& FontFill() { return m_fontFill; }
    const TvxBrush& FontFill() const { return m_fontFill; }
    // Copies the brush.
    void SetFontFill(const TvxBrush& brush) { m_fontFill.Assign(brush); }
    TvxTextAlign TextAlign() const { return m_textAlign; }
    void SetTextAlign(TvxTextAlign value);
    TvxTextAlign VertTextAlign() const { return m_vertTextAlign; }
    void SetVertTextAlign(TvxTextAlign value);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);
    bool AutoTranslate() const { return m_autoTranslate; }
    void SetAutoTranslate(bool value) { m_autoTranslate = value; }

    TvxVariant GetData() const override { return m_text; }
    void SetData(const TvxVariant& value) override;

protected:
    void ResourceApplied() override;
    virtual void FontChanged();
    // The style's text element, or none.
    TvxText* TextPart();
    // Labels wrap by default.
    void SetWordWrapDefault(bool value)
    {
        m_wordWrapDefault = value;
        m_wordWrap = value;
    }

private:
    TvxFont m_font;
    TvxTextAlign m_textAlign { TvxTextAlign::vgTextAlignCenter };
    TvxTextAlign m_vertTextAlign { TvxTextAlign::vgTextAlignCenter };
    TvxBrush m_fontFill { TvxBrushStyle::vgBrushSolid, 0xFF000000 };
    bool m_wordWrap { false };
    bool m_wordWrapDefault { false };
    bool m_autoTranslate { false };
    std::string m_text;
};

// The toolkit's translation lookup; the program loads no translation table.
inline std::string Translate(std::string_view text) { return std::string(text); }

}
