// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for tests on a real X desktop (scripts/with-desktop.sh): screenshots
// through ImageMagick's import, input through xdotool, and pumping the
// application's loop for a while.

#include "platform/Application.h"
#include "tests/support/WaitFor.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nimbrell::testing {

struct Rgb {
    int r { 0 };
    int g { 0 };
    int b { 0 };
};

// The compositor's root colour on the test desktop.
inline constexpr Rgb DesktopRoot { 0x80, 0x80, 0x80 };

inline bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

inline std::string Describe(Rgb c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

class Screenshot {
public:
    // The whole screen as it is now, composited.
    Screenshot()
    {
        FILE* pipe = popen("import -silent -window root -depth 8 rgb:- 2>/dev/null", "r");
        if (!pipe)
            throw std::runtime_error("cannot run import");
        unsigned char buffer[65536];
        std::size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            m_bytes.insert(m_bytes.end(), buffer, buffer + got);
        pclose(pipe);
        if (m_bytes.size() != static_cast<std::size_t>(Width * Height * 3))
            throw std::runtime_error("unexpected screenshot size " + std::to_string(m_bytes.size()));
    }

    Rgb At(int x, int y) const
    {
        std::size_t offset = (static_cast<std::size_t>(y) * Width + static_cast<std::size_t>(x)) * 3;
        return { m_bytes[offset], m_bytes[offset + 1], m_bytes[offset + 2] };
    }

    static constexpr int Width = 1280;
    static constexpr int Height = 1024;

private:
    std::vector<unsigned char> m_bytes;
};

inline void RunCommand(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

// Keeps the loop running and taking screenshots, 50 ms of the loop apart, until
// one shows what ready expects (the compositor may lag on a busy machine) or the
// time is up; returns the last screenshot either way, for the caller's checks.
inline Screenshot ScreenWhen(const std::function<bool(const Screenshot&)>& ready, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    std::optional<Screenshot> screen;
    // A screenshot can take longer than the pause: the loop runs for the pause
    // after each one.
    auto next = std::chrono::steady_clock::now();
    auto shown = [&] {
        if (std::chrono::steady_clock::now() < next)
            return false;
        screen.emplace();
        next = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
        return ready(*screen);
    };
    bool seen = platform::Application::Exists() ? WaitFor(shown, limit, Pump::Loop) : WaitFor(shown, limit);
    if (!seen && !screen)
        screen.emplace();
    return *screen;
}

// Whether the screen comes to show what ready expects in two screenshots in a
// row. Between the two the loop has handled everything the X server sent before
// the first, such as a window's mapping (on which a drop-down takes the pointer
// and the keyboard).
inline bool ScreenSettlesOn(const std::function<bool(const Screenshot&)>& ready, std::chrono::milliseconds limit = std::chrono::milliseconds(5000))
{
    int inARow = 0;
    ScreenWhen(
        [&](const Screenshot& shot) {
            inARow = ready(shot) ? inARow + 1 : 0;
            return inARow >= 2;
        },
        limit);
    return inARow >= 2;
}

}
