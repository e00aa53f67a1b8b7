// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the JSON reader: as UTF-8, as the same text decoded to UTF-16
// (both readings must agree), and as raw UTF-16 code units. Every tree is walked and its
// members are looked up and read as text.

#include "json/JsonReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace nimbrell;

void describe(const TxJSONbase* value, std::u16string& out);

void checkObject(const TxJSONobject& object, std::u16string& out)
{
    for (int i = 0; i < object.Count(); ++i) {
        auto* member = static_cast<const TxJSONobjectmethod*>(object.ItemAt(i));
        if (member->SelfType() != TxJSONtypes::jsBase)
            std::abort();
        int first = object.IndexOfName(member->Name());
        if (first < 0 || first > i || static_cast<const TxJSONobjectmethod*>(object.ItemAt(first))->Name() != member->Name())
            std::abort();
        if (object.OldGetField(member->Name()) != static_cast<const TxJSONobjectmethod*>(object.ItemAt(first))->ObjValue())
            std::abort();
        try {
            out += ReadMemberText(object, member->Name());
        } catch (const TxJSONerror&) {
            out += u"!";
        }
        out += member->Name();
        out += u':';
        describe(member->ObjValue(), out);
    }
}

void describe(const TxJSONbase* value, std::u16string& out)
{
    if (!value) {
        out += u"<none>";
        return;
    }
    out += static_cast<char16_t>(u'0' + static_cast<int>(value->SelfType()));
    switch (value->SelfType()) {
    case TxJSONtypes::jsNumber:
    case TxJSONtypes::jsBoolean:
    case TxJSONtypes::jsString:
        out += VariantToText(value->Value());
        break;
    case TxJSONtypes::jsList:
        for (int i = 0; i < value->Count(); ++i)
            describe(value->ItemAt(i), out);
        break;
    case TxJSONtypes::jsObject:
        checkObject(static_cast<const TxJSONobject&>(*value), out);
        break;
    default:
        break;
    }
    out += u';';
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::u16string fromUtf8;
    describe(TxJSON::ParseText(bytes).get(), fromUtf8);

    std::u16string fromUtf16;
    describe(TxJSON::ParseText(std::u16string_view(Utf8ToUtf16(bytes))).get(), fromUtf16);
    // The UTF-16 reader also skips the mark read as three Latin-1 characters, which in
    // UTF-8 is C3 AF C2 BB C2 BF; elsewhere both readings agree.
    if (fromUtf8 != fromUtf16 && !bytes.starts_with("\xC3\xAF\xC2\xBB\xC2\xBF"))
        std::abort();

    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    std::u16string fromUnits;
    describe(TxJSON::ParseText(std::u16string_view(units)).get(), fromUnits);
    return 0;
}
