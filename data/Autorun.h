// SPDX-License-Identifier: GPL-3.0-or-later
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

// The running program's own file, as the kernel knows it, through ProgramPathFrom.
std::string ProgramPath();

// The program to start for a running program whose file the kernel names
// `kernelPath`. A file replaced while it runs (a package upgrade) is named
// "PATH (deleted)": then the new program at PATH, or empty when nothing
// runnable is there.
std::string ProgramPathFrom(const std::string& kernelPath);

}
