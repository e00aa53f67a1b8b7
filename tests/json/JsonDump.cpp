// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonDump.h"

#include "base/Utf.h"

#include <cstdio>

namespace nimbrell::test {

namespace {

void appendText(std::string& out, std::u16string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool paired = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (c < 0x20 || c == '"' || c == '\\' || (c >= 0xD800 && c <= 0xDFFF && !paired)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
            continue;
        }
        std::size_t length = paired ? 2 : 1;
        out += Utf16ToUtf8(text.substr(i, length));
        i += length - 1;
    }
    out += '"';
}

void dump(std::string& out, const TxJSONbase* value)
{
    switch (value->SelfType()) {
    case TxJSONtypes::jsNumber: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", static_cast<const TxJSONnumber*>(value)->Number());
        out += buffer;
        return;
    }
    case TxJSONtypes::jsString:
        appendText(out, static_cast<const TxJSONstring*>(value)->Text());
        return;
    case TxJSONtypes::jsBoolean:
        out += static_cast<const TxJSONboolean*>(value)->Boolean() ? "true" : "false";
        return;
    case TxJSONtypes::jsNull:
        out += "null";
        return;
    case TxJSONtypes::jsList:
        out += '[';
        for (int i = 0; i < value->Count(); ++i) {
            if (i > 0)
                out += ',';
            dump(out, value->ItemAt(i));
        }
        out += ']';
        return;
    case TxJSONtypes::jsObject:
        out += '{';
        for (int i = 0; i < value->Count(); ++i) {
            auto* member = static_cast<const TxJSONobjectmethod*>(value->ItemAt(i));
            if (i > 0)
                out += ',';
            appendText(out, member->Name());
            out += ':';
            dump(out, member->ObjValue());
        }
        out += '}';
        return;
    case TxJSONtypes::jsBase:
        out += "<member>";
        return;
    }
}

}

std::string Dump(const TxJSONbase* value)
{
    if (!value)
        return "<none>";
    std::string out;
    dump(out, value);
    return out;
}

}
