// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The design tools' grid settings a stored window's scene carries
// (DesignSnapGridShow, DesignSnapToGrid, DesignSnapToLines): read and dropped,
// written as off, so a scene reads the same whatever the designer had set.

namespace nimbrell {

class TvxFiler;

void DefineDesignGridProperties(TvxFiler& filer);

}
