#pragma once

// Window handles and queued window messages.

#include <cstdint>

namespace nimbrell::platform {

// Window handles are small integers, never reused within a process; 0 is no window.
using HWND = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

struct Message {
    HWND hwnd { 0 };
    std::uint32_t message { 0 };
    WPARAM wParam { 0 };
    LPARAM lParam { 0 };
};

// The window message codes the system uses, with their usual numbers.
enum : std::uint32_t {
    WM_CLOSE = 0x0010,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_TIMER = 0x0113,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSELEAVE = 0x02A3,
};

}
