// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/host/TvxHintWindow.h"

#include "platform/Application.h"
#include "scene/host/TvxScene.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"

#include <algorithm>
#include <cmath>

namespace nimbrell {

namespace {

constexpr TvxColor hintFill = 0xF0303030;
constexpr TvxColor hintFrame = 0xFF5A5A5A;
constexpr TvxColor hintTextColor = 0xFFE0E0E0;
constexpr float paddingX = 6;
constexpr float paddingY = 3;

}

TvxHintWindow::TvxHintWindow(std::function<platform::ScreenPoint()> anchor)
    : m_anchor(std::move(anchor))
    , m_timer([this] { OnTimer(); })
{
}

TvxHintWindow::~TvxHintWindow() = default;

bool TvxHintWindow::IsShown() const
{
    return !m_shown.empty();
}

const std::string& TvxHintWindow::ShownText() const
{
    return m_shown;
}

void TvxHintWindow::SetHint(const std::string& text)
{
    if (text == m_hint)
        return;
    m_hint = text;
    if (m_hint.empty()) {
        m_timer.SetEnabled(false);
        Hide();
        return;
    }
    if (IsShown()) {
        Show();
        return;
    }
    m_timer.SetEnabled(false);
    m_timer.SetInterval(HintPause);
    m_timer.SetEnabled(true);
}

void TvxHintWindow::Cancel()
{
    m_timer.SetEnabled(false);
    Hide();
}

void TvxHintWindow::OnTimer()
{
    m_timer.SetEnabled(false);
    if (IsShown())
        Hide();
    else
        Show();
}

void TvxHintWindow::Build()
{
    m_window = std::make_unique<SceneWindow>(1, 1, platform::WindowKind::Hint);
    TvxScene& scene = m_window->Scene();
    scene.SetTransparency(true);
    auto* frame = new TvxRectangle(nullptr);
    frame->SetHitTest(false);
    frame->Fill().SetSolidColor(hintFill);
    frame->Stroke().SetSolidColor(hintFrame);
    frame->SetxRadius(2);
    frame->SetyRadius(2);
    frame->Margins().SetRect({ paddingX, paddingY, paddingX, paddingY });
    scene.AddObject(frame);
    m_label = new TvxText(nullptr);
    m_label->SetHitTest(false);
    m_label->Fill().SetSolidColor(hintTextColor);
    m_label->SetHorzTextAlign(TvxTextAlign::vgTextAlignNear);
    frame->AddObject(m_label);
    m_label->SetAlign(TvxAlign::vaClient);
}

void TvxHintWindow::Show()
{
    if (!m_window)
        Build();
    TvxCanvas& canvas = *m_window->Scene().Canvas();
    canvas.Font().Assign(m_label->Font());
    TvxRect text { 0, 0, MaximumTextWidth, 10000 };
    canvas.MeasureText(text, text, m_hint, true, TvxTextAlign::vgTextAlignNear, TvxTextAlign::vgTextAlignNear);
    int width = static_cast<int>(std::ceil(text.Width() + 2 * paddingX)) + 1;
    int height = static_cast<int>(std::ceil(text.Height() + 2 * paddingY)) + 1;
    m_label->SetText(m_hint);
    m_window->SetSize(width, height);
    Place(width, height);
    m_window->Show();
    m_shown = m_hint;
    m_timer.SetInterval(HintHidePause);
    m_timer.SetEnabled(true);
}

void TvxHintWindow::Place(int width, int height)
{
    platform::ScreenPoint pointer = m_anchor();
    platform::ScreenRect area = platform::Application::Instance().GetBackend().WorkAreaAt(pointer);
    int left = pointer.x;
    int top = pointer.y + PointerHeight;
    // Above the pointer when there is no room below it.
    if (top + height > area.bottom)
        top = pointer.y - height;
    left = std::clamp(left, area.left, std::max(area.left, area.right - width));
    top = std::clamp(top, area.top, std::max(area.top, area.bottom - height));
    m_window->Move(left, top);
}

void TvxHintWindow::Hide()
{
    if (m_window && !m_shown.empty())
        m_window->Native().Hide();
    m_shown.clear();
}

}
