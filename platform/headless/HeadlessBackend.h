#pragma once

// The back end without a display: windows are positions and sizes only, message
// boxes go to standard error and are kept for inspection. With a manual clock
// time stands still until AdvanceClock, so timer tests are deterministic.

#include "platform/Backend.h"

#include <string>
#include <vector>

namespace nimbrell::platform {

enum class ClockKind { Real, Manual };

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(ClockKind clock = ClockKind::Real);

    const char* Name() const override { return "headless"; }
    void WaitForEvents(int wakeFd, int timeoutMs) override;
    std::uint64_t TickCount() override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    std::unique_ptr<NativeWindow> CreateNativeWindow() override;

    void AdvanceClock(std::uint64_t milliseconds) { m_manualNow += milliseconds; }

    struct MessageBoxRecord {
        std::string text;
        std::string caption;
    };
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_messageBoxes; }

private:
    ClockKind m_clock;
    std::uint64_t m_manualNow { 1000 };
    std::vector<MessageBoxRecord> m_messageBoxes;
};

}
