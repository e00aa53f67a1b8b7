#pragma once

// Starting the widget with the desktop session: an autostart entry
// $XDG_CONFIG_HOME/autostart/NimbrellWeather.desktop (~/.config when unset)
// whose Exec line runs the program.

#include <string>

namespace nimbrell {

std::string AutorunEntryPath();

// Creates or replaces the entry; false when it could not be written.
bool SetRunValue(const std::string& programPath);

// Removes the entry; a missing entry or any failure changes nothing.
void DeleteRunValue();

// The running program's own file, as the kernel knows it.
std::string ProgramPath();

}
