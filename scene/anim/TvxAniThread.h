// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The animation clock: one 33 ms window-message timer on the UI thread that advances
// every running animation by the time that really passed (from the platform tick
// count). One instance per process, created on first need. The timer is armed only
// while the list holds animations, so an idle program does not wake up.

#include "platform/MessageQueue.h"

#include <cstdint>
#include <vector>

namespace nimbrell {

class TvxAnimation;

class TvxAniThread final : private platform::MessageTarget {
public:
    static constexpr std::uint32_t kInterval = 33;

    static TvxAniThread& Instance();
    // None until something needed the clock.
    static TvxAniThread* Existing();

    ~TvxAniThread() override;
    TvxAniThread(const TvxAniThread&) = delete;
    TvxAniThread& operator=(const TvxAniThread&) = delete;

    // Appends unless present, arming the timer; needs the application object.
    void Add(TvxAnimation* animation);
    void Remove(TvxAnimation* animation);
    bool Contains(const TvxAnimation* animation) const;
    const std::vector<TvxAnimation*>& Animations() const { return m_animations; }
    bool Armed() const { return m_armed; }

    // Seconds since the clock started, and the last step's delta.
    double CurrentTime() const { return m_time; }
    float Delta() const { return m_delta; }

    // One timer step: advances the running animations by the time passed since the last.
    void Step();

private:
    TvxAniThread();
    void WindowProc(platform::Message& message) override;
    double Now() const;
    void Arm();
    void Disarm();

    platform::HWND m_handle { 0 };
    std::vector<TvxAnimation*> m_animations;
    double m_startTime { 0 };
    // Kept in double precision: seconds in a 32-bit float lose milliseconds after a day.
    double m_time { 0 };
    float m_delta { 0 };
    bool m_armed { false };
};

// Runs every animation on the clock to its end, for a finished still picture: a looping
// one has no end and is held at its start value instead. Ending one may start others,
// which are finished too (up to a hundred rounds, so a chain that restarts itself ends).
void FinishAllAnimations();

}
