// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/JsonReader.h"

namespace nimbrell {

std::u16string ReadMemberText(const TxJSONobject& object, std::u16string_view name)
{
    const TxJSONbase* value = object.ItemByKey(std::u16string(name));
    if (!value)
        throw TxJSONerror("JSON member \"" + Utf16ToUtf8(name) + "\" is missing");
    try {
        return VariantToText(value->Value());
    } catch (const TxJSONerror&) {
        throw TxJSONerror("JSON member \"" + Utf16ToUtf8(name) + "\" has no text value");
    }
}

std::string ReadMemberTextUtf8(const TxJSONobject& object, std::u16string_view name)
{
    return Utf16ToUtf8(ReadMemberText(object, name));
}

}
