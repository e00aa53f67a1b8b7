// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace nimbrell::platform {

// When the connection to the X display breaks (the server ended, the session
// closed), the program says so on standard error and ends with a failure status
// instead of dying on its next call. Call after the display is open.
void InstallDisplayLossHandler();

}
