// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A style part that paints nothing itself: the control whose style holds it
// paints into it through its OnPaint event (a text box its text, a combo box
// its selected item).

#include "scene/visual/TvxVisualObject.h"

namespace nimbrell {

class TvxContent : public TvxVisualObject {
    NIMBRELL_CLASS(TvxContent)
public:
    explicit TvxContent(TvxComponent* owner);
};

}
