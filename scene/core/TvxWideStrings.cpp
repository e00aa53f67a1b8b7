// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxWideStrings.h"

#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxFiler.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxWideStrings, TvxPersistent)
{
}

void TvxWideStrings::Add(std::string line)
{
    m_lines.push_back(std::move(line));
    Changed();
}

void TvxWideStrings::Assign(const TvxPersistent& source)
{
    const TvxWideStrings* other = &SourceAs<TvxWideStrings>(source);
    SetLines(other->m_lines);
}

void TvxWideStrings::DefineProperties(TvxFiler& filer)
{
    filer.DefineProperty(
        "strings",
        [this](ObjectReader& reader) {
            std::vector<std::string> lines;
            reader.ReadListBegin();
            while (!reader.EndOfList())
                lines.push_back(reader.ReadText());
            reader.ReadListEnd();
            SetLines(std::move(lines));
        },
        [this](ObjectWriter& writer) {
            writer.WriteListBegin();
            for (const std::string& line : m_lines)
                writer.WriteText(line);
            writer.WriteListEnd();
        },
        !m_lines.empty());
}

}
