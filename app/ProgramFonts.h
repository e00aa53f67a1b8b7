// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace nimbrell {

// The program's own faces: the CJK families cut at build time to the characters
// the program shows, embedded as resources of type "font" under the names the
// build gives them. Writes them to the data folder's "fonts/" (a face already
// there with the embedded size is kept, so a normal start reads nothing of the
// embedded copies) and offers them to the text layout. Call before the first text
// is laid out. A face that cannot be written is left out: its text then comes
// from the installed families.
void InstallProgramFonts(const std::string& dataDirectory);

}
