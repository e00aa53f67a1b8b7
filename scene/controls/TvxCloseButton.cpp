// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TvxCloseButton.h"

#include "scene/controls/ControlGeometry.h"
#include "scene/core/ISceneHost.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxCloseButton, TvxControl)
{
    c.Enum("CloseForm", &TvxCloseButton::CloseForm, &TvxCloseButton::SetCloseForm).Default(true);
}

TvxCloseButton::TvxCloseButton(TvxComponent* owner)
    : TvxControl(owner)
{
    SetWidth(20);
    SetHeight(20);
    // The release of a press reaches the button wherever it happens.
    SetAutoCapture(true);
}

void TvxCloseButton::MouseDown(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxControl::MouseDown(button, shift, x, y);
    if (button == TvxMouseButton::mbLeft)
        m_pressing = true;
}

void TvxCloseButton::MouseUp(TvxMouseButton button, TvxShiftState shift, float x, float y)
{
    TvxControl::MouseUp(button, shift, x, y);
    if (button != TvxMouseButton::mbLeft || !m_pressing)
        return;
    m_pressing = false;
    if (!InsideWithEdges(LocalRect(), x, y))
        return;
    if (m_closeForm && Scene())
        Scene()->CloseForm();
    OnClick(this);
}

}
