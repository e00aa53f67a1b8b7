#include "platform/headless/HeadlessBackend.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <poll.h>

namespace nimbrell::platform {

void HeadlessWindow::Move(int left, int top)
{
    m_left = left;
    m_top = top;
}

void HeadlessWindow::Resize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void HeadlessWindow::PushLayered(const std::uint32_t* pixels, int width, int height, int strideBytes)
{
    ++m_pushes;
    m_pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(y) * strideBytes);
        std::memcpy(m_pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width), row, static_cast<std::size_t>(width) * 4);
    }
}

HeadlessBackend::HeadlessBackend(ClockKind clock)
    : m_clock(clock)
{
}

void HeadlessBackend::WaitForEvents(int wakeFd, int timeoutMs)
{
    // Under a manual clock no time passes while waiting; only a post wakes us.
    if (m_clock == ClockKind::Manual)
        timeoutMs = -1;
    pollfd descriptor { wakeFd, POLLIN, 0 };
    // A signal handler that wants the loop awake writes the wake descriptor, so
    // retrying after EINTR cannot miss it.
    while (poll(&descriptor, 1, timeoutMs) < 0 && errno == EINTR) {
    }
}

std::uint64_t HeadlessBackend::TickCount()
{
    if (m_clock == ClockKind::Manual)
        return m_manualNow;
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void HeadlessBackend::ShowMessageBox(const std::string& text, const std::string& caption)
{
    m_messageBoxes.push_back({ text, caption });
    std::cerr << "[" << caption << "] " << text << std::endl;
}

std::unique_ptr<NativeWindow> HeadlessBackend::CreateNativeWindow(HWND, WindowKind)
{
    return std::make_unique<HeadlessWindow>();
}

ScreenRect HeadlessBackend::WorkAreaAt(ScreenPoint)
{
    return m_workArea;
}

}
