// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Window.h"

#include "platform/Application.h"

namespace nimbrell::platform {

Window::Window(WindowKind kind)
    : m_handle(RegisterWindow(*this))
    , m_native(Application::Instance().GetBackend().CreateNativeWindow(m_handle, kind))
{
}

Window::~Window()
{
    DestroyHandle();
}

void Window::DestroyHandle()
{
    if (m_handle == 0)
        return;
    HWND handle = m_handle;
    m_handle = 0;
    UnregisterWindow(handle);
    if (Application::Exists()) {
        auto& application = Application::Instance();
        if (application.MainWindow() == handle)
            application.Terminate();
    }
}

void Window::Close()
{
    if (IsClosed())
        return;
    // The handle goes even when the close handler fails; the caller reports the error.
    struct Destroyer {
        Window& window;
        ~Destroyer()
        {
            window.m_native->Hide();
            window.DestroyHandle();
        }
    } destroyer { *this };
    OnClose();
}

ModalResult Window::ShowModal(Window* owner)
{
    m_modalResult = ModalResult::None;
    m_native->SetModal(owner ? owner->m_native.get() : nullptr, true);
    m_native->Show();
    Application::Instance().RunModal([this] { return m_modalResult != ModalResult::None || IsClosed(); });
    if (!IsClosed()) {
        m_native->SetModal(nullptr, false);
        m_native->Hide();
    }
    // Closing without a result cancels.
    return m_modalResult == ModalResult::None ? ModalResult::Cancel : m_modalResult;
}

void Window::WindowProc(Message& message)
{
    if (message.message == WM_CLOSE) {
        Close();
        return;
    }
    OnMessage(message);
}

}
