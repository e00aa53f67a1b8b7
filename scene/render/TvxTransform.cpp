// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/render/TvxTransform.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxTransform, TvxPersistent)
{
    c.Object("Position", [](const TvxTransform& t) { return &t.Position(); });
    c.Object("Scale", [](const TvxTransform& t) { return &t.Scale(); });
    c.Float("RotateAngle", &TvxTransform::RotateAngle, &TvxTransform::SetRotateAngle);
    c.Object("RotateCenter", [](const TvxTransform& t) { return &t.RotateCenter(); });
}

TvxTransform::TvxTransform()
{
    for (TvxPosition* position : { &m_position, &m_scale, &m_rotateCenter })
        position->OnChanged = [this] { Changed(); };
}

void TvxTransform::Assign(const TvxPersistent& source)
{
    const TvxTransform* other = &SourceAs<TvxTransform>(source);
    m_position.Assign(other->m_position);
    m_scale.Assign(other->m_scale);
    SetRotateAngle(other->m_rotateAngle);
    m_rotateCenter.Assign(other->m_rotateCenter);
}

}
