#pragma once

// The program's font configuration (resources/fonts/nimbrell-fonts.conf, embedded at
// build time): maps the families the scenes name ("Tahoma", "Fixedsys", "Franklin
// Gothic") to CJK-capable Noto families. Loaded once, before any text is laid out.

namespace nimbrell {

// Makes the system configuration plus ours fontconfig's current one. Safe to call more
// than once and from any thread; later calls do nothing. Throws std::runtime_error when
// fontconfig cannot load the configuration.
void LoadFontConfiguration();
// The embedded configuration text.
const char* FontConfigurationText();

}
