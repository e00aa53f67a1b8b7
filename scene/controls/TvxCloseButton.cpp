#include "scene/controls/TvxCloseButton.h"

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
    if (!m_pressing)
        return;
    if (m_closeForm && Scene())
        Scene()->CloseForm();
    m_pressing = false;
    OnClick(this);
}

void TvxCloseButton::MouseLeave()
{
    // Without capture the release of a press that left the button goes elsewhere; a later
    // release on the button must not count as the end of that press.
    m_pressing = false;
    TvxControl::MouseLeave();
}

}
