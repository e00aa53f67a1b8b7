// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's font configuration (resources/fonts/nimbrell-fonts.conf, embedded at
// build time): maps the families the scenes name ("Tahoma", "Fixedsys", "Franklin
// Gothic") to CJK-capable families — the program's own cut faces first where they
// were added, the installed Noto families behind them. Loaded once, before any text
// is laid out.

#include <string>

namespace nimbrell {

// Adds a font file to the faces the configuration offers. Call before the first
// text is laid out; the file must stay in place for the life of the process.
// False when fontconfig cannot read the file.
bool AddProgramFontFile(const std::string& path);
// Makes the system configuration plus ours fontconfig's current one. Safe to call more
// than once and from any thread; later calls do nothing. Throws std::runtime_error when
// fontconfig cannot load the configuration.
void LoadFontConfiguration();
// The embedded configuration text.
const char* FontConfigurationText();

}
