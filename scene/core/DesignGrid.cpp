// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/DesignGrid.h"

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxFiler.h"

namespace nimbrell {

void DefineDesignGridProperties(TvxFiler& filer)
{
    for (const char* name : { "DesignSnapGridShow", "DesignSnapToGrid", "DesignSnapToLines" }) {
        filer.DefineProperty(
            name, [](ObjectReader& reader) { reader.ReadBoolean(); }, [](ObjectWriter& writer) { writer.WriteBoolean(false); },
            true);
    }
}

}
