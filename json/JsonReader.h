// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the workers need from the JSON reader: parse a document, take an object, and read
// its members as text.
//
//     auto root = TxJSON::ParseText(body);
//     const TxJSONobject* document = AsObject(root.get());
//     const TxJSONobject* info = document ? AsObject(document->OldGetField(u"weatherinfo")) : nullptr;
//     std::u16string temperature = ReadMemberText(*info, u"temp1"); // throws TxJSONerror

#include "json/JsonParser.h"
#include "base/Utf.h"
#include "json/JsonValue.h"

#include <string>
#include <string_view>

namespace nimbrell {

// The member `name` of `object` as text: a string's text unchanged, a number in general
// form with at most 15 significant digits (201108181030 gives "201108181030"), a boolean as
// "true" or "false". Throws TxJSONerror when no member bears the name or its value is null,
// a list or an object.
std::u16string ReadMemberText(const TxJSONobject& object, std::u16string_view name);

// The same, as UTF-8.
std::string ReadMemberTextUtf8(const TxJSONobject& object, std::u16string_view name);

}
