// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxObjectReference.h"

#include "scene/core/TvxObject.h"

namespace nimbrell {

TvxObjectReference::~TvxObjectReference()
{
    Set(nullptr);
}

void TvxObjectReference::Set(TvxObject* object)
{
    if (object == m_object)
        return;
    if (m_object)
        m_object->RemoveFreeNotify(this);
    m_object = object;
    if (m_object)
        m_object->AddFreeNotify(this);
}

void TvxObjectReference::FreeNotification(TvxObject& destroyed)
{
    if (&destroyed != m_object)
        return;
    m_object = nullptr;
    if (OnCleared)
        OnCleared();
}

}
