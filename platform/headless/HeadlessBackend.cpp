#include "platform/headless/HeadlessBackend.h"

#include <cerrno>
#include <chrono>
#include <iostream>
#include <poll.h>

namespace nimbrell::platform {

namespace {

class HeadlessWindow final : public NativeWindow {
public:
    void Move(int left, int top) override
    {
        m_left = left;
        m_top = top;
    }
    int Left() const override { return m_left; }
    int Top() const override { return m_top; }
    void Resize(int width, int height) override
    {
        m_width = width;
        m_height = height;
    }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void Show() override { m_visible = true; }
    void Hide() override { m_visible = false; }
    bool IsVisible() const override { return m_visible; }

private:
    int m_left { 0 };
    int m_top { 0 };
    int m_width { 0 };
    int m_height { 0 };
    bool m_visible { false };
};

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

std::unique_ptr<NativeWindow> HeadlessBackend::CreateNativeWindow()
{
    return std::make_unique<HeadlessWindow>();
}

}
