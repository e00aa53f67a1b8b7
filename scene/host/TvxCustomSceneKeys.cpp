// SPDX-License-Identifier: GPL-3.0-or-later
// Focus and keys: the dialog keys for the root, Tab order, and the keys and
// characters for the focused object.

#include "scene/host/TvxCustomScene.h"

#include "platform/Message.h"

#include <algorithm>
#include <utility>

namespace nimbrell {

namespace {

using namespace platform;

bool isDialogKey(int key)
{
    switch (key) {
    case VK_ESCAPE:
    case VK_RETURN:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_ADD:
    case VK_SUBTRACT:
        return true;
    default:
        return false;
    }
}

// The tab-order list of an object and all its descendants: each entry followed
// by its own list.
void collectTabOrder(const TvxVisualObject& object, std::vector<TvxVisualObject*>& list)
{
    for (TvxVisualObject* entry : object.TabList()) {
        list.push_back(entry);
        collectTabOrder(*entry, list);
    }
}

bool canTakeTabFocus(const TvxVisualObject* object)
{
    for (const TvxObject* ancestor = object; ancestor; ancestor = ancestor->Parent()) {
        if (const TvxVisualObject* visual = ancestor->Visual(); visual && !visual->Visible())
            return false;
    }
    return object->CanFocused() && const_cast<TvxVisualObject*>(object)->AbsoluteEnabled();
}

}

void TvxCustomScene::SetFocused(TvxVisualObject* object)
{
    if (object == m_focused)
        return;
    TvxVisualObject* old = std::exchange(m_focused, object);
    if (old)
        old->DoKillFocus();
    if (object)
        object->DoEnterFocus();
}

void TvxCustomScene::KeyDown(int key, TvxShiftState shift)
{
    if (m_objectDrag && key == VK_ESCAPE) {
        EndObjectDrag(false);
        return;
    }
    TvxVisualObject* root = Root() ? Root()->Visual() : nullptr;
    if (isDialogKey(key) && root) {
        root->DialogKey(key, shift);
        if (key == 0)
            return;
    }
    if (key == VK_ESCAPE) {
        CloseModalOwner();
        return;
    }
    if (key == VK_TAB && root) {
        MoveFocus(!(shift & kShiftKey));
        return;
    }
    if (m_focused) {
        char32_t character = 0;
        m_focused->KeyDown(key, character, shift);
    }
}

void TvxCustomScene::KeyUp(int key, TvxShiftState shift)
{
    if (!m_focused)
        return;
    char32_t character = 0;
    m_focused->KeyUp(key, character, shift);
}

void TvxCustomScene::Character(char32_t character, TvxShiftState shift)
{
    if (!m_focused || character == VK_RETURN)
        return;
    // Ctrl+A, C, V, X and Z arrive as control characters; objects see the letters.
    static constexpr std::pair<char32_t, char32_t> shortcuts[] = { { 1, U'a' }, { 3, U'c' }, { 22, U'v' }, { 24, U'x' }, { 26, U'z' } };
    for (auto [control, letter] : shortcuts) {
        if (character != control)
            continue;
        int key = 0;
        char32_t down = letter;
        m_focused->KeyDown(key, down, shift);
        if (!m_focused)
            return;
        key = 0;
        char32_t up = letter;
        m_focused->KeyUp(key, up, shift);
        return;
    }
    int key = 0;
    m_focused->KeyDown(key, character, shift);
}

void TvxCustomScene::MoveFocus(bool forward)
{
    std::vector<TvxVisualObject*> list;
    collectTabOrder(*Root()->Visual(), list);
    int count = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), m_focused);
    auto tryRange = [&](int from, int to, int step) {
        for (int i = from; step > 0 ? i <= to : i >= to; i += step) {
            if (i < 0 || i >= count)
                continue;
            if (canTakeTabFocus(list[static_cast<std::size_t>(i)])) {
                list[static_cast<std::size_t>(i)]->SetFocus();
                return true;
            }
        }
        return false;
    };
    if (forward) {
        int i = found == list.end() ? -1 : static_cast<int>(found - list.begin());
        if (count > 2 && tryRange(i + 1, count - 1, 1))
            return;
        tryRange(0, i, 1);
    } else {
        int i = found == list.end() ? count : static_cast<int>(found - list.begin());
        if (tryRange(i - 1, 0, -1))
            return;
        if (count > 2)
            tryRange(count - 1, i, -1);
    }
}

}
