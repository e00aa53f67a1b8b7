// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gtk/DisplayLoss.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <glib.h>

namespace nimbrell::platform {

namespace {

// Xlib ends the process if this returns; nothing may use the display any more.
int onDisplayLost(Display* display)
{
    const char* program = g_get_prgname();
    std::fprintf(stderr, "%s: lost the connection to the display %s; exiting\n", program ? program : "nimbrell",
        display ? DisplayString(display) : "");
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

}

void InstallDisplayLossHandler()
{
    XSetIOErrorHandler(onDisplayLost);
}

}
