#pragma once

// The program's font configuration (resources/fonts/nimbrell-fonts.conf, embedded at
// build time): maps the families the scenes name ("Tahoma", "Fixedsys", "Franklin
// Gothic") to CJK-capable Noto families. Loaded once, before any text is laid out.

namespace nimbrell {

// Makes the system configuration plus ours fontconfig's current one. Safe to call more
// than once and from any thread; later calls wait for the first load and do nothing
// more. Throws std::runtime_error when fontconfig cannot load the configuration.
void LoadFontConfiguration();
// Starts that load on a thread of its own and returns at once: reading the system's
// font configuration is a large part of a start-up, and it can run while the scene
// is read. LoadFontConfiguration waits for it.
void StartLoadingFontConfiguration();
// The embedded configuration text.
const char* FontConfigurationText();

}
