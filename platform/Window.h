// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A top-level window: a handle in the message queue plus its native side.

#include "platform/Backend.h"
#include "platform/MessageQueue.h"

#include <memory>

namespace nimbrell::platform {

enum class ModalResult {
    None,
    Ok,
    Cancel
};

class Window : public MessageTarget {
public:
    explicit Window(WindowKind kind = WindowKind::TopLevel);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return m_handle; }
    NativeWindow& Native() { return *m_native; }

    int Left() const { return m_native->Left(); }
    int Top() const { return m_native->Top(); }
    void Move(int left, int top) { m_native->Move(left, top); }

    // Runs OnClose, then destroys the handle: later posts to it do nothing. Closing
    // the application's main window ends its message loop.
    void Close();
    bool IsClosed() const { return m_handle == 0; }

    // Shows the window modally above owner (may be null) and runs a nested
    // message loop until a modal result is set or the window closes; other
    // windows keep getting their messages meanwhile.
    ModalResult ShowModal(Window* owner);
    void SetModalResult(ModalResult result) { m_modalResult = result; }
    ModalResult GetModalResult() const { return m_modalResult; }

    void WindowProc(Message& message) final;

protected:
    virtual void OnMessage(Message&) { }
    virtual void OnClose() { }

private:
    void DestroyHandle();

    HWND m_handle { 0 };
    std::unique_ptr<NativeWindow> m_native;
    ModalResult m_modalResult { ModalResult::None };
};

}
