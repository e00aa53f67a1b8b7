// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A text in a style: labels take no hits by default and wrap their text. With AutoSize
// the label takes the size of its text.

#include "scene/controls/TvxTextControl.h"

namespace nimbrell {

class TvxLabel : public TvxTextControl {
    NIMBRELL_CLASS(TvxLabel)
public:
    explicit TvxLabel(TvxComponent* owner);

    bool AutoSize() const { return m_autoSize; }
    void SetAutoSize(bool value);
    void SetText(std::string_view value) override;

protected:
    void ResourceApplied() override;

private:
    void FitToText();

    bool m_autoSize { false };
};

// A label of the heads-up look; only its style name differs.
class TvxHudLabel : public TvxLabel {
    NIMBRELL_CLASS(TvxHudLabel)
public:
    using TvxLabel::TvxLabel;
};

}
