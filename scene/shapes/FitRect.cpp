// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/shapes/FitRect.h"

#include "scene/core/TvxMatrix.h"

namespace nimbrell {

TvxRect FitRect(const TvxRect& rect, const TvxRect& bounds)
{
    if (bounds.Width() * bounds.Height() == 0)
        return rect;
    float kx = rect.Width() / bounds.Width(), ky = rect.Height() / bounds.Height();
    float k = kx > ky ? kx : ky;
    TvxRect r { 0, 0, rect.Width(), rect.Height() };
    if (k >= 1)
        r = { 0, 0, RoundHalfEven(rect.Width() / k), RoundHalfEven(rect.Height() / k) };
    return OffsetRect(r, RoundHalfEven((bounds.Width() - r.Width()) / 2) + bounds.Left,
        RoundHalfEven((bounds.Height() - r.Height()) / 2) + bounds.Top);
}

}
