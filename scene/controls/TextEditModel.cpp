// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/TextEditModel.h"

#include "platform/Message.h"

#include <algorithm>

namespace nimbrell {

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Separators end words; everything else, CJK included, belongs to one.
bool isWordCharacter(char16_t unit)
{
    if (unit >= 0x80)
        return unit != 0x3000 && unit != 0x3001 && unit != 0x3002 && unit != 0xFF0C;
    return (unit >= '0' && unit <= '9') || (unit >= 'A' && unit <= 'Z') || (unit >= 'a' && unit <= 'z') || unit == '_';
}

bool isControl(char32_t character) { return character < 0x20 || (character >= 0x7F && character < 0xA0); }

void appendCodePoint(std::u16string& out, char32_t character)
{
    if (character < 0x10000) {
        out.push_back(static_cast<char16_t>(character));
        return;
    }
    character -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (character >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (character & 0x3FF)));
}

}

void TextEditModel::Changed()
{
    if (OnTextChanged)
        OnTextChanged();
}

void TextEditModel::SetText(std::u16string text)
{
    if (text == m_text)
        return;
    m_text = std::move(text);
    m_caret = std::min(m_caret, m_text.size());
    m_anchor = std::min(m_anchor, m_text.size());
    if (m_caret > 0 && m_caret < m_text.size() && isLowSurrogate(m_text[m_caret]))
        --m_caret;
    if (m_anchor > 0 && m_anchor < m_text.size() && isLowSurrogate(m_text[m_anchor]))
        --m_anchor;
    m_firstVisible = std::min(m_firstVisible, m_text.size() + 1);
    Changed();
}

void TextEditModel::SetCaretPosition(std::size_t position)
{
    position = std::min(position, m_text.size());
    if (position > 0 && position < m_text.size() && isLowSurrogate(m_text[position]))
        --position;
    m_caret = m_anchor = position;
}

void TextEditModel::SetSelStart(std::size_t start)
{
    SetCaretPosition(start);
}

void TextEditModel::SetSelLength(std::size_t length)
{
    std::size_t start = SelStart();
    m_anchor = start;
    m_caret = start + std::min(length, m_text.size() - start);
    if (m_caret < m_text.size() && m_caret > 0 && isLowSurrogate(m_text[m_caret]))
        ++m_caret;
}

void TextEditModel::ExtendTo(std::size_t position)
{
    std::size_t anchor = m_anchor;
    SetCaretPosition(position);
    m_anchor = anchor;
}

void TextEditModel::SelectAll()
{
    m_anchor = 0;
    m_caret = m_text.size();
}

std::size_t TextEditModel::Previous(std::size_t position) const
{
    if (position == 0)
        return 0;
    --position;
    if (position > 0 && isLowSurrogate(m_text[position]) && isHighSurrogate(m_text[position - 1]))
        --position;
    return position;
}

std::size_t TextEditModel::Next(std::size_t position) const
{
    if (position >= m_text.size())
        return m_text.size();
    ++position;
    if (position < m_text.size() && isLowSurrogate(m_text[position]) && isHighSurrogate(m_text[position - 1]))
        ++position;
    return position;
}

std::size_t TextEditModel::PreviousWord(std::size_t position) const
{
    while (position > 0 && !isWordCharacter(m_text[position - 1]))
        --position;
    while (position > 0 && isWordCharacter(m_text[position - 1]))
        --position;
    return position;
}

std::size_t TextEditModel::NextWord(std::size_t position) const
{
    while (position < m_text.size() && isWordCharacter(m_text[position]))
        ++position;
    while (position < m_text.size() && !isWordCharacter(m_text[position]))
        ++position;
    return position;
}

void TextEditModel::MoveTo(std::size_t position, bool extend)
{
    m_caret = position;
    if (!extend)
        m_anchor = position;
}

bool TextEditModel::Accepts(char32_t character) const
{
    if (isControl(character))
        return false;
    if (m_filter.empty())
        return true;
    char16_t encoded[2];
    std::size_t length = 1;
    if (character < 0x10000) {
        encoded[0] = static_cast<char16_t>(character);
    } else {
        encoded[0] = static_cast<char16_t>(0xD800 + ((character - 0x10000) >> 10));
        encoded[1] = static_cast<char16_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
        length = 2;
    }
    return m_filter.find(std::u16string_view(encoded, length)) != std::u16string::npos;
}

bool TextEditModel::ReplaceSelection(const std::u16string& text)
{
    std::size_t start = SelStart();
    std::size_t length = SelLength();
    if (m_maxLength != 0 && m_text.size() - length + text.size() > m_maxLength) {
        ClearSelection();
        return false;
    }
    std::u16string result = m_text;
    result.replace(start, length, text);
    m_caret = m_anchor = start + text.size();
    if (result != m_text) {
        m_text = std::move(result);
        Changed();
    }
    return true;
}

bool TextEditModel::Type(char32_t character)
{
    if (m_readOnly || character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF) || !Accepts(character))
        return false;
    std::u16string encoded;
    appendCodePoint(encoded, character);
    if (!ReplaceSelection(encoded))
        return false;
    if (OnTyping)
        OnTyping();
    return true;
}

void TextEditModel::DeleteSelection()
{
    if (m_readOnly || SelLength() == 0)
        return;
    ReplaceSelection({});
}

void TextEditModel::Copy(TextClipboard& clipboard) const
{
    // A password never leaves the box.
    if (CanCopy())
        clipboard.Put(SelText());
}

void TextEditModel::Cut(TextClipboard& clipboard)
{
    Copy(clipboard);
    if (!CanCut())
        return;
    DeleteSelection();
    if (OnTyping)
        OnTyping();
}

void TextEditModel::Paste(TextClipboard& clipboard)
{
    if (m_readOnly)
        return;
    auto pasted = clipboard.Take();
    if (!pasted)
        return;
    std::u16string text;
    text.reserve(pasted->size());
    for (std::size_t i = 0; i < pasted->size(); ++i) {
        char16_t unit = (*pasted)[i];
        if (unit == u'\r' || unit == u'\n') {
            if (unit == u'\r' && i + 1 < pasted->size() && (*pasted)[i + 1] == u'\n')
                ++i;
            if (Accepts(U' '))
                text.push_back(u' ');
            continue;
        }
        char32_t character = unit;
        if (isHighSurrogate(unit) && i + 1 < pasted->size() && isLowSurrogate((*pasted)[i + 1])) {
            character = 0x10000 + ((unit - 0xD800) << 10) + ((*pasted)[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            continue;
        }
        if (Accepts(character))
            appendCodePoint(text, character);
    }
    if (text.empty() || !ReplaceSelection(text))
        return;
    if (OnTyping)
        OnTyping();
}

bool TextEditModel::KeyDown(unsigned key, EditKeys keys, TextClipboard& clipboard)
{
    using namespace platform;
    switch (key) {
    case VK_BACK:
    case VK_DELETE:
        if (keys.shift && SelLength() > 0) {
            Cut(clipboard);
            return true;
        }
        if (m_readOnly)
            return true;
        if (SelLength() == 0) {
            if (key == VK_BACK)
                m_anchor = Previous(m_caret);
            else
                m_anchor = Next(m_caret);
        }
        if (SelLength() == 0)
            return true;
        DeleteSelection();
        if (OnTyping)
            OnTyping();
        return true;
    case VK_HOME:
        MoveTo(0, keys.shift);
        return true;
    case VK_END:
        MoveTo(m_text.size(), keys.shift);
        return true;
    case VK_LEFT:
        MoveTo(keys.control ? PreviousWord(m_caret) : Previous(m_caret), keys.shift);
        return true;
    case VK_RIGHT:
        MoveTo(keys.control ? NextWord(m_caret) : Next(m_caret), keys.shift);
        return true;
    case VK_INSERT:
        if (keys.control)
            Copy(clipboard);
        else if (keys.shift)
            Paste(clipboard);
        return keys.control || keys.shift;
    default:
        break;
    }
    if (!keys.control)
        return false;
    switch (key) {
    case 'A': SelectAll(); return true;
    case 'C': Copy(clipboard); return true;
    case 'V': Paste(clipboard); return true;
    case 'X': Cut(clipboard); return true;
    case 'Z': return true;
    default: return false;
    }
}

void TextEditModel::ScrollToCaret(const std::function<float(std::size_t from, std::size_t to)>& width, float available)
{
    std::size_t first = std::min(m_firstVisible, m_text.size() + 1) - 1;
    if (m_caret < first) {
        m_firstVisible = m_caret + 1;
        return;
    }
    if (available <= 0 || width(first, m_caret) <= available)
        return;
    // The first start from which the caret fits: widths shrink as the start
    // moves right, so a binary search measures a few times instead of once a
    // character. A box shows far fewer than 4096 characters.
    std::size_t low = std::max(first, m_caret > 4096 ? m_caret - 4096 : std::size_t { 0 });
    std::size_t high = m_caret;
    while (low < high) {
        std::size_t middle = low + (high - low) / 2;
        if (width(middle, m_caret) <= available)
            high = middle;
        else
            low = middle + 1;
    }
    if (low > 0 && low < m_text.size() && isLowSurrogate(m_text[low]))
        ++low;
    m_firstVisible = low + 1;
}

}
