// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Window handles, queued window messages and every code the platform layer
// shares with the layers above: message codes, mouse and key state, cursors.

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

// Mouse messages carry client coordinates in lParam (x in the low 16 bits, y in
// the high 16 bits, both signed) and the button and shift state in wParam.
// WM_MOUSEWHEEL carries the delta (120 a notch) in the high 16 bits of wParam.
// Key messages carry the virtual key in wParam and the shift state in lParam;
// WM_CHAR carries a Unicode code point.
enum : WPARAM {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
    MK_ALT = 0x0020,
};

inline LPARAM MakePointParam(int x, int y)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) | static_cast<std::uint16_t>(x));
}
inline int PointParamX(LPARAM lParam) { return static_cast<std::int16_t>(lParam & 0xFFFF); }
inline int PointParamY(LPARAM lParam) { return static_cast<std::int16_t>((lParam >> 16) & 0xFFFF); }

// WM_ACTIVATE's wParam.
enum : WPARAM {
    WA_INACTIVE = 0,
    WA_ACTIVE = 1,
};

// Virtual keys; letters and digits are their upper-case ASCII codes.
enum : WPARAM {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_F1 = 0x70,
};

// The window message codes the system uses, with their usual numbers.
enum : std::uint32_t {
    WM_ACTIVATE = 0x0006,
    WM_CLOSE = 0x0010,
    WM_DISPLAYCHANGE = 0x007E, // a monitor came, went or changed its size
    WM_COMMAND = 0x0111,
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
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_MOUSEWHEEL = 0x020A,
    WM_MOUSELEAVE = 0x02A3,
    WM_DPICHANGED = 0x02E0, // the window's device scale changed (wParam: the new scale)
};

// The cursor identifiers a stored `Cursor` property holds, with their usual numbers:
// one list for the constants below and the names streams read and write (where two
// share a number, the first is the one written).
#define NIMBRELL_CURSOR_IDENTIFIERS(X) \
    X(crDefault, 0)                    \
    X(crNone, -1)                      \
    X(crArrow, -2)                     \
    X(crCross, -3)                     \
    X(crIBeam, -4)                     \
    X(crSizeNESW, -6)                  \
    X(crSizeNS, -7)                    \
    X(crSizeNWSE, -8)                  \
    X(crSizeWE, -9)                    \
    X(crUpArrow, -10)                  \
    X(crHourGlass, -11)                \
    X(crDrag, -12)                     \
    X(crNoDrop, -13)                   \
    X(crHSplit, -14)                   \
    X(crVSplit, -15)                   \
    X(crMultiDrag, -16)                \
    X(crSQLWait, -17)                  \
    X(crNo, -18)                       \
    X(crAppStart, -19)                 \
    X(crHelp, -20)                     \
    X(crHandPoint, -21)                \
    X(crSizeAll, -22)                  \
    X(crSize, -22)

#define NIMBRELL_CURSOR_CONSTANT(name, value) name = value,
enum : int {
    NIMBRELL_CURSOR_IDENTIFIERS(NIMBRELL_CURSOR_CONSTANT)
};
#undef NIMBRELL_CURSOR_CONSTANT

// The shapes a back end can show.
enum class CursorShape {
    Default,
    Arrow,
    Hand,
    IBeam,
    SizeNWSE,
    SizeWE,
    SizeNS,
    SizeAll,
    Wait,
    No,
    Drag
};

// The shape for a cursor identifier; the default shape for any the back ends lack.
inline CursorShape CursorShapeOf(int cursor)
{
    switch (cursor) {
    case crIBeam: return CursorShape::IBeam;
    case crSizeNS: return CursorShape::SizeNS;
    case crSizeNWSE: return CursorShape::SizeNWSE;
    case crSizeWE: return CursorShape::SizeWE;
    case crHourGlass: return CursorShape::Wait;
    case crNo:
    case crNoDrop: return CursorShape::No;
    case crDrag: return CursorShape::Drag;
    case crHandPoint: return CursorShape::Hand;
    case crSizeAll: return CursorShape::SizeAll;
    default: return CursorShape::Default;
    }
}

}
