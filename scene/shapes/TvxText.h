// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One string drawn in the element's rectangle with a font, the fill as its colour and two
// alignments; optionally wrapped, sized to the text, stretched to fill the element, or
// kept on one line inside it (ShrinkToFit: a smaller size when the text is too wide).
// Text is UTF-8.

#include "scene/render/TvxFont.h"
#include "scene/shapes/TvxShape.h"

#include <string>

namespace nimbrell {

class TvxText : public TvxShape {
    NIMBRELL_CLASS(TvxText)
public:
    explicit TvxText(TvxComponent* owner);

    const std::string& Text() const { return m_text; }
    void SetText(std::string_view value);
    TvxFont& Font() { return m_font; }
    const TvxFont& Font() const { return m_font; }
    // Copies the font.
    void SetFont(const TvxFont& font) { m_font.Assign(font); }
    TvxTextAlign VertTextAlign() const { return m_vertTextAlign; }
    void SetVertTextAlign(TvxTextAlign value);
    TvxTextAlign HorzTextAlign() const { return m_horzTextAlign; }
    void SetHorzTextAlign(TvxTextAlign value);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value);
    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool value);
    bool ShrinkToFit() const { return m_shrinkToFit; }
    void SetShrinkToFit(bool value);

    void Realign() override;
    TvxVariant GetData() const override { return m_text; }
    void SetData(const TvxVariant& value) override;

protected:
    void Paint() override;
    virtual void FontChanged();

private:
    void ApplyAutoSize();
    void PaintShrunk(TvxCanvas& canvas, float opacity);

    std::string m_text;
    TvxFont m_font;
    TvxTextAlign m_vertTextAlign { TvxTextAlign::vgTextAlignCenter };
    TvxTextAlign m_horzTextAlign { TvxTextAlign::vgTextAlignCenter };
    bool m_wordWrap { true };
    bool m_autoSize { false };
    bool m_stretch { false };
    bool m_shrinkToFit { false };
};

}
