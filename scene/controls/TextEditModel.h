// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The single-line text editing of text boxes and spin boxes without any
// drawing: text, caret, selection, keys, typing rules and the clipboard.
// Positions count UTF-16 code units; a caret never stops inside a surrogate
// pair.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace nimbrell {

class TextClipboard {
public:
    virtual ~TextClipboard() = default;
    virtual void Put(const std::u16string& text) = 0;
    virtual std::optional<std::u16string> Take() = 0;
};

struct EditKeys {
    bool shift { false };
    bool control { false };
};

class TextEditModel {
public:
    // Runs after every change of the text, whoever made it.
    std::function<void()> OnTextChanged;
    // Runs after an edit by typing, deleting or pasting.
    std::function<void()> OnTyping;

    const std::u16string& Text() const { return m_text; }
    // Nothing when unchanged; a caret beyond the new end is pulled back.
    void SetText(std::u16string text);

    std::size_t CaretPosition() const { return m_caret; }
    void SetCaretPosition(std::size_t position);
    std::size_t SelStart() const { return std::min(m_anchor, m_caret); }
    std::size_t SelLength() const { return m_anchor > m_caret ? m_anchor - m_caret : m_caret - m_anchor; }
    void SetSelStart(std::size_t start);
    void SetSelLength(std::size_t length);
    std::u16string SelText() const { return m_text.substr(SelStart(), SelLength()); }
    // Moves the caret, keeping the other end of the selection.
    void ExtendTo(std::size_t position);
    void SelectAll();
    void ClearSelection() { m_anchor = m_caret; }
    bool AllSelected() const { return SelLength() == m_text.size(); }

    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool Password() const { return m_password; }
    void SetPassword(bool password) { m_password = password; }
    std::size_t MaxLength() const { return m_maxLength; }
    void SetMaxLength(std::size_t maxLength) { m_maxLength = maxLength; }
    const std::u16string& FilterChar() const { return m_filter; }
    void SetFilterChar(std::u16string filter) { m_filter = std::move(filter); }

    // A typed character; false when it was dropped.
    bool Type(char32_t character);
    // The editing and moving keys (virtual key codes); true when handled. Enter
    // is left to the caller, which runs its change rule.
    bool KeyDown(unsigned key, EditKeys keys, TextClipboard& clipboard);

    void Copy(TextClipboard& clipboard) const;
    // In a read-only box this only copies.
    void Cut(TextClipboard& clipboard);
    // Inserts the clipboard's text like typing: line breaks become spaces, other
    // control characters and characters outside the filter are dropped.
    void Paste(TextClipboard& clipboard);
    void DeleteSelection();

    bool CanCut() const { return CanCopy() && !m_readOnly; }
    bool CanCopy() const { return SelLength() > 0 && !m_password; }

    // Scrolls FirstVisibleChar (1-based) so the caret stays inside `available`
    // pixels; width(from, to) measures text[from, to).
    std::size_t FirstVisibleChar() const { return m_firstVisible; }
    void ScrollToCaret(const std::function<float(std::size_t from, std::size_t to)>& width, float available);

private:
    // Replaces the selection, keeping MaxLength; false when it would not fit.
    bool ReplaceSelection(const std::u16string& text);
    void MoveTo(std::size_t position, bool extend);
    std::size_t Previous(std::size_t position) const;
    std::size_t Next(std::size_t position) const;
    std::size_t PreviousWord(std::size_t position) const;
    std::size_t NextWord(std::size_t position) const;
    bool Accepts(char32_t character) const;
    void Changed();

    std::u16string m_text;
    std::u16string m_filter;
    std::size_t m_caret { 0 };
    std::size_t m_anchor { 0 };
    std::size_t m_maxLength { 0 };
    std::size_t m_firstVisible { 1 };
    bool m_readOnly { false };
    bool m_password { false };
};

}
