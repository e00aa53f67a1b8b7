// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The process-wide default style sheet: the program resource "defaultvxstyle" of type
// RCDATA, a binary object stream read once on the first lookup that needs it. It lives
// until the program ends. The scene classes it names must be registered before.

#include <cstdint>
#include <span>

namespace nimbrell {

class TvxComponent;
class TvxObject;

// Reads a sheet from a binary object stream and clears DesignHide on every visual object
// of it (a used sheet is never hidden). None when the bytes do not hold a sheet.
TvxObject* ReadStyleSheet(std::span<const std::uint8_t> stream, TvxComponent* owner);

// The loaded root, or none while it was not loaded yet.
TvxObject* DefaultStyleSheet();
// Loads it when it was not loaded yet. None when the program carries no such resource
// or the resource does not hold a sheet; a failed load is not retried.
TvxObject* LoadDefaultStyleSheet();

}
