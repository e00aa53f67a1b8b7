// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxPersistent.h"

#include <stdexcept>

namespace nimbrell {

const ClassInfo& TvxPersistent::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TvxPersistent>::Build("TvxPersistent", nullptr, [](ClassBuilder<TvxPersistent>&) {});
    return info;
}

void TvxPersistent::Assign(const TvxPersistent& source)
{
    ThrowAssignMismatch(source);
}

void TvxPersistent::ThrowAssignMismatch(const TvxPersistent& source) const
{
    throw std::invalid_argument("cannot assign " + std::string(source.Class().Name()) + " to " + std::string(Class().Name()));
}

}
