// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/host/TvxScene.h"

#include "platform/Application.h"
#include "scene/render/TvxBitmap.h"

#include <cmath>
#include <cstdint>

namespace nimbrell {

using namespace platform;

namespace {

TvxShiftState shiftState(WPARAM flags)
{
    TvxShiftState shift = 0;
    if (flags & MK_SHIFT)
        shift |= kShiftKey;
    if (flags & MK_CONTROL)
        shift |= kCtrlKey;
    if (flags & MK_ALT)
        shift |= kAltKey;
    if (flags & MK_LBUTTON)
        shift |= kLeftButton;
    if (flags & MK_RBUTTON)
        shift |= kRightButton;
    if (flags & MK_MBUTTON)
        shift |= kMiddleButton;
    return shift;
}

}

TvxScene::TvxScene(SceneWindow& window)
    : TvxCustomScene(window.Native().Width(), window.Native().Height())
    , m_window(window)
{
    SetDeviceScale(float(window.Native().DeviceScale()));
}

void TvxScene::RequestFrame()
{
    PostMessage(m_window.Handle(), SceneFrameMessage, 0, 0);
}

void TvxScene::DrawFrame()
{
    // Every request queued so far is served by this one frame.
    Message queued;
    while (Application::Instance().PeekMessage(queued, m_window.Handle(), SceneFrameMessage)) {
    }
    Draw();
}

void TvxScene::Present()
{
    TvxBitmap& buffer = Buffer();
    TvxRect inked = InkedArea();
    const float k = DeviceScale();
    // Scene units to the buffer's pixels, outwards.
    auto screenRect = [k](const TvxRect& r) {
        if (k == 1)
            return ScreenRect { int(r.Left), int(r.Top), int(r.Right), int(r.Bottom) };
        return ScreenRect { int(std::floor(r.Left * k)), int(std::floor(r.Top * k)), int(std::ceil(r.Right * k)), int(std::ceil(r.Bottom * k)) };
    };
    // The frame painted exactly its pending rectangles (whole pixels), and nothing
    // else changed.
    m_damage.clear();
    for (const TvxRect& r : PendingRects())
        m_damage.push_back(screenRect(r));
    m_window.Native().PushLayered(Canvas()->BufferBits(), buffer.Width(), buffer.Height(), buffer.Width() * 4, screenRect(inked), m_damage);
}

void TvxScene::CapturePlatformMouse(bool capture)
{
    m_window.Native().SetCapture(capture);
}

void TvxScene::SetWindowCursor(int cursor)
{
    m_window.Native().SetCursor(CursorShapeOf(cursor));
}

bool TvxScene::CanDragWindow() const
{
    return m_window.Tag() != NoDragTag;
}

TvxPoint TvxScene::WindowOrigin() const
{
    return { float(m_window.Left()), float(m_window.Top()) };
}

void TvxScene::MoveWindow(int left, int top)
{
    m_window.Move(left, top);
}

void TvxScene::ResizeWindow(int width, int height)
{
    m_window.SetSize(width, height);
}

void TvxScene::SetFormModalResult(int result)
{
    if (result == 0)
        return;
    m_window.SetModalResult(result == 2 ? ModalResult::Cancel : ModalResult::Ok);
}

void TvxScene::SetInputMethodCaret(const TvxRect& caret)
{
    m_window.Native().SetInputMethodCaret(static_cast<int>(caret.Left), static_cast<int>(caret.Top),
        static_cast<int>(caret.Right - caret.Left), static_cast<int>(caret.Bottom - caret.Top));
}

void TvxScene::CloseForm()
{
    if (!m_window.IsClosed())
        platform::PostMessage(m_window.Handle(), platform::WM_CLOSE, 0, 0);
}

void TvxScene::CloseModalOwner()
{
    m_window.SetModalResult(ModalResult::Cancel);
}

void TvxScene::WindowHintChanged()
{
    if (!m_hints) {
        if (WindowHint().empty())
            return;
        m_hints = std::make_unique<TvxHintWindow>([this] {
            TvxPoint pointer = LocalToScreen(MousePos());
            return ScreenPoint { static_cast<int>(pointer.X), static_cast<int>(pointer.Y) };
        });
    }
    m_hints->SetHint(WindowHint());
}

void TvxScene::CancelHint()
{
    if (m_hints)
        m_hints->Cancel();
}

bool TvxScene::HandleMessage(Message& message)
{
    float x = float(PointParamX(message.lParam));
    float y = float(PointParamY(message.lParam));
    TvxShiftState shift = shiftState(message.wParam);
    switch (message.message) {
    case SceneFrameMessage:
        DrawFrame();
        return true;
    case WM_DPICHANGED:
        // The window may have pictures to choose for the new scale too.
        SetDeviceScale(float(m_window.Native().DeviceScale()));
        return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        bool isDouble = message.message == WM_LBUTTONDBLCLK || message.message == WM_RBUTTONDBLCLK || message.message == WM_MBUTTONDBLCLK;
        TvxMouseButton button = (message.message == WM_RBUTTONDOWN || message.message == WM_RBUTTONDBLCLK) ? TvxMouseButton::mbRight
            : (message.message == WM_MBUTTONDOWN || message.message == WM_MBUTTONDBLCLK)                   ? TvxMouseButton::mbMiddle
                                                                                                           : TvxMouseButton::mbLeft;
        m_window.Native().Focus();
        MouseDown(button, shift | (isDouble ? kDoubleClick : 0), x, y);
        return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        TvxMouseButton button = message.message == WM_RBUTTONUP ? TvxMouseButton::mbRight
            : message.message == WM_MBUTTONUP                   ? TvxMouseButton::mbMiddle
                                                                : TvxMouseButton::mbLeft;
        MouseUp(button, shift, x, y);
        return true;
    }
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        return true;
    case WM_MOUSEWHEEL:
        MouseWheel(shiftState(message.wParam & 0xFFFF), static_cast<std::int16_t>((message.wParam >> 16) & 0xFFFF));
        return true;
    case WM_MOUSELEAVE:
        MouseLeave();
        return true;
    case WM_KEYDOWN:
        KeyDown(static_cast<int>(message.wParam), shiftState(static_cast<WPARAM>(message.lParam)));
        return true;
    case WM_KEYUP:
        KeyUp(static_cast<int>(message.wParam), shiftState(static_cast<WPARAM>(message.lParam)));
        return true;
    case WM_CHAR:
        Character(static_cast<char32_t>(message.wParam), shiftState(static_cast<WPARAM>(message.lParam)));
        return true;
    default:
        return false;
    }
}

SceneWindow::SceneWindow(int width, int height, WindowKind kind)
    : Window(kind)
{
    Native().Resize(width, height);
    m_scene = std::make_unique<TvxScene>(*this);
}

SceneWindow::~SceneWindow()
{
    // The scene and its objects go while the window still exists.
    m_scene.reset();
}

void SceneWindow::Show()
{
    Native().Show();
    m_scene->AddUpdateRect({ 0, 0, 65535, 65535 });
}

void SceneWindow::SetSize(int width, int height)
{
    Native().Resize(width, height);
    m_scene->SetSize(width, height);
    m_scene->AddUpdateRect({ 0, 0, 65535, 65535 });
}

void SceneWindow::OnMessage(Message& message)
{
    if (m_scene->HandleMessage(message))
        return;
    OnWindowMessage(message);
}

}
