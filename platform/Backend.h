#pragma once

// What the message loop needs from the desktop it runs on. Two back ends
// implement it: headless (no display: tests, rendering to files) and GTK.

#include <cstdint>
#include <memory>
#include <string>

namespace nimbrell::platform {

// The native side of one top-level window.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual void Move(int left, int top) = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual void Resize(int width, int height) = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual const char* Name() const = 0;

    // Blocks until wakeFd becomes readable, native events arrive or timeoutMs
    // passes (-1: no limit). Native input is turned into posted messages here.
    virtual void WaitForEvents(int wakeFd, int timeoutMs) = 0;

    // Monotonic milliseconds.
    virtual std::uint64_t TickCount() = 0;

    // A modal message box; returns when the user has dismissed it.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;

    virtual std::unique_ptr<NativeWindow> CreateNativeWindow() = 0;
};

}
