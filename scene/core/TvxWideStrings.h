// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A list of texts owned by a scene object (Items of list-like controls), stored as the
// custom property strings: a vaList of texts, written when not empty.

#include "scene/core/TvxSubRecord.h"

#include <string>
#include <vector>

namespace nimbrell {

class TvxWideStrings : public TvxSubRecord {
    NIMBRELL_CLASS(TvxWideStrings)
public:
    TvxWideStrings() = default;

    int Count() const { return static_cast<int>(m_lines.size()); }
    const std::string& Line(int index) const { return m_lines[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& Lines() const { return m_lines; }
    void SetLines(std::vector<std::string> lines) { UpdateField(m_lines, std::move(lines)); }
    void Add(std::string line);
    void Clear() { SetLines({}); }

    void Assign(const TvxPersistent& source) override;
    void DefineProperties(TvxFiler& filer) override;

private:
    std::vector<std::string> m_lines;
};

}
