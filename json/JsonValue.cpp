// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/JsonValue.h"

#include "base/Utf.h"
#include "json/JsonArena.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>

namespace nimbrell {

namespace {

std::u16string widen(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string formatGeneral(double value)
{
    if (value == 0)
        return u"0"; // also for -0
    char buffer[32];
    int length = std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return widen(std::string_view(buffer, static_cast<std::size_t>(length)));
}

double textToDouble(std::u16string_view text)
{
    std::string ascii;
    for (char16_t c : text) {
        if (c >= 0x80)
            throw TxJSONerror("not a number");
        ascii.push_back(static_cast<char>(c));
    }
    std::string_view digits = ascii;
    while (!digits.empty() && static_cast<unsigned char>(digits.front()) < 0x21)
        digits.remove_prefix(1);
    while (!digits.empty() && static_cast<unsigned char>(digits.back()) < 0x21)
        digits.remove_suffix(1);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    double result = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(result))
        throw TxJSONerror("not a number");
    return result;
}

double variantToDouble(const TxJSONvariant& value)
{
    if (auto* number = std::get_if<double>(&value))
        return *number;
    if (auto* integer = std::get_if<std::int64_t>(&value))
        return static_cast<double>(*integer);
    if (auto* boolean = std::get_if<bool>(&value))
        return *boolean ? 1 : 0;
    if (auto* text = std::get_if<std::u16string>(&value))
        return textToDouble(*text);
    throw TxJSONerror("null has no number value");
}

bool variantToBoolean(const TxJSONvariant& value)
{
    if (auto* boolean = std::get_if<bool>(&value))
        return *boolean;
    if (auto* text = std::get_if<std::u16string>(&value)) {
        if (*text == u"true" || *text == u"True" || *text == u"TRUE")
            return true;
        if (*text == u"false" || *text == u"False" || *text == u"FALSE")
            return false;
    }
    if (std::holds_alternative<std::monostate>(value))
        throw TxJSONerror("null has no boolean value");
    return variantToDouble(value) != 0;
}

// False when `key` is not numeric; a numeric key outside the int range gives position -1.
bool keyToPosition(const TxJSONvariant& key, int& position)
{
    if (auto* integer = std::get_if<std::int64_t>(&key)) {
        position = *integer < 0 || *integer > std::numeric_limits<int>::max() ? -1 : static_cast<int>(*integer);
        return true;
    }
    if (auto* number = std::get_if<double>(&key)) {
        double rounded = std::nearbyint(*number);
        position = rounded >= 0 && rounded <= std::numeric_limits<int>::max() ? static_cast<int>(rounded) : -1;
        return true;
    }
    return false;
}

}

std::u16string VariantToText(const TxJSONvariant& value)
{
    if (auto* text = std::get_if<std::u16string>(&value))
        return *text;
    if (auto* number = std::get_if<double>(&value))
        return formatGeneral(*number);
    if (auto* integer = std::get_if<std::int64_t>(&value))
        return widen(std::to_string(*integer));
    if (auto* boolean = std::get_if<bool>(&value))
        return *boolean ? u"true" : u"false";
    throw TxJSONerror("null has no text value");
}

// Texts of strings and member names

namespace {

// Replaces a node's text by a heap copy of `value`.
void replaceText(const char16_t*& text, std::uint32_t& size, bool& owned, std::u16string_view value)
{
    if (value.size() > std::numeric_limits<std::uint32_t>::max())
        throw TxJSONerror("text too long");
    char16_t* copy = nullptr;
    if (!value.empty()) {
        copy = new char16_t[value.size()];
        value.copy(copy, value.size());
    }
    if (owned)
        delete[] text;
    text = copy ? copy : u"";
    size = static_cast<std::uint32_t>(value.size());
    owned = copy != nullptr;
}

}

static_assert(sizeof(void*) != 8 || sizeof(TxJSONstring) == 24, "the text fields should share the base's padding");
static_assert(sizeof(void*) != 8 || sizeof(TxJSONobjectmethod) == 32, "the name fields should share the base's padding");

TxJSONstring::TxJSONstring(std::u16string_view text)
{
    replaceText(FValue, fSize, fOwned, text);
}

TxJSONstring::~TxJSONstring()
{
    if (fOwned)
        delete[] FValue;
}

TxJSONobjectmethod::TxJSONobjectmethod(std::u16string_view name, std::unique_ptr<TxJSONbase> value)
    : FValue(std::move(value))
{
    replaceText(FName, fNameSize, fNameOwned, name);
}

TxJSONobjectmethod::~TxJSONobjectmethod()
{
    if (fNameOwned)
        delete[] FName;
}

void TxJSONobjectmethod::SetObjValue(std::unique_ptr<TxJSONbase> value)
{
    if (IsPooled())
        NoteParsedTreeChanged();
    FValue = std::move(value);
}

// TxJSONbase

namespace {

// Set once any node of any parsed document has been given memory of its own; from then on
// parsed documents are taken apart node by node. The program itself only reads them.
std::atomic<bool> parsedTreeChanged { false };

}

void TxJSONbase::NoteParsedTreeChanged()
{
    parsedTreeChanged.store(true, std::memory_order_relaxed);
}

void TxJSONbase::ForgetParsedTreeChanges()
{
    parsedTreeChanged.store(false, std::memory_order_relaxed);
}

void TxJSONbase::operator delete(TxJSONbase* node, std::destroying_delete_t)
{
    bool pooled = node->fPooled;
    node->~TxJSONbase();
    if (!pooled)
        ::operator delete(node);
}

TxJSONvariant TxJSONbase::Value() const
{
    return std::monostate {};
}

void TxJSONbase::SetValue(const TxJSONvariant&)
{
}

TxJSONbase* TxJSONbase::ItemAt(int) const
{
    return nullptr;
}

void TxJSONbase::SetItemAt(int, std::unique_ptr<TxJSONbase>)
{
}

int TxJSONbase::Count() const
{
    return 0;
}

const TxJSONbase* TxJSONbase::ItemByKey(const TxJSONvariant&) const
{
    return this;
}

TxJSONtypes TxJSONbase::SelfType() const
{
    return TxJSONtypes::jsBase;
}

std::string_view TxJSONbase::SelfTypeName() const
{
    return "jsBase";
}

// Scalars

TxJSONvariant TxJSONnumber::Value() const
{
    return FValue;
}

void TxJSONnumber::SetValue(const TxJSONvariant& value)
{
    FValue = variantToDouble(value);
}

TxJSONtypes TxJSONnumber::SelfType() const
{
    return TxJSONtypes::jsNumber;
}

std::string_view TxJSONnumber::SelfTypeName() const
{
    return "jsNumber";
}

TxJSONvariant TxJSONstring::Value() const
{
    return std::u16string(Text());
}

void TxJSONstring::SetValue(const TxJSONvariant& value)
{
    if (IsPooled())
        NoteParsedTreeChanged();
    replaceText(FValue, fSize, fOwned, VariantToText(value));
}

TxJSONtypes TxJSONstring::SelfType() const
{
    return TxJSONtypes::jsString;
}

std::string_view TxJSONstring::SelfTypeName() const
{
    return "jsString";
}

TxJSONvariant TxJSONboolean::Value() const
{
    return FValue;
}

void TxJSONboolean::SetValue(const TxJSONvariant& value)
{
    FValue = variantToBoolean(value);
}

TxJSONtypes TxJSONboolean::SelfType() const
{
    return TxJSONtypes::jsBoolean;
}

std::string_view TxJSONboolean::SelfTypeName() const
{
    return "jsBoolean";
}

TxJSONtypes TxJSONnull::SelfType() const
{
    return TxJSONtypes::jsNull;
}

std::string_view TxJSONnull::SelfTypeName() const
{
    return "jsNull";
}

// TxJSONcustomlist

TxJSONcustomlist::TxJSONcustomlist(std::pmr::memory_resource* memory)
    : fList(memory)
{
}

TxJSONcustomlist::~TxJSONcustomlist()
{
    // A parsed document that nobody changed holds nothing outside its arena, which goes
    // next: visiting each node to run its destructor would only read the whole tree again.
    if (fArena && !parsedTreeChanged.load(std::memory_order_relaxed)) {
        for (auto& child : fList)
            static_cast<void>(child.release());
    }
    while (!fList.empty())
        fList.pop_back();
}

void TxJSONcustomlist::noteChange() const
{
    if (IsPooled() || fArena)
        NoteParsedTreeChanged();
}

TxJSONbase* TxJSONcustomlist::ItemAt(int index) const
{
    return inRange(index) ? fList[static_cast<std::size_t>(index)].get() : nullptr;
}

void TxJSONcustomlist::SetItemAt(int index, std::unique_ptr<TxJSONbase> value)
{
    // A list never holds holes: without a value the call changes nothing.
    if (!inRange(index) || !value)
        return;
    noteChange();
    fList[static_cast<std::size_t>(index)] = std::move(value);
}

int TxJSONcustomlist::Count() const
{
    return static_cast<int>(fList.size());
}

const TxJSONbase* TxJSONcustomlist::ItemByKey(const TxJSONvariant& key) const
{
    int position;
    if (keyToPosition(key, position))
        return ItemAt(position);
    return this;
}

int TxJSONcustomlist::AddItem(std::unique_ptr<TxJSONbase> value)
{
    if (!value || fList.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return -1;
    noteChange();
    fList.push_back(std::move(value));
    return Count() - 1;
}

void TxJSONcustomlist::DeleteItem(int index)
{
    if (!inRange(index))
        return;
    std::swap(fList[static_cast<std::size_t>(index)], fList.back());
    fList.pop_back();
}

int TxJSONcustomlist::IndexOfItem(const TxJSONbase* value) const
{
    for (std::size_t i = 0; i < fList.size(); ++i) {
        if (fList[i].get() == value)
            return static_cast<int>(i);
    }
    return -1;
}

std::int64_t TxJSONcustomlist::getInt(int index) const
{
    auto* number = dynamic_cast<const TxJSONnumber*>(valueForGet(index));
    if (!number)
        return 0;
    double truncated = std::trunc(number->Number());
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::isnan(truncated))
        return 0;
    if (truncated >= limit)
        return std::numeric_limits<std::int64_t>::max();
    if (truncated < -limit)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(truncated);
}

std::string TxJSONcustomlist::getString(int index) const
{
    return Utf16ToUtf8(getWideString(index));
}

std::u16string TxJSONcustomlist::getWideString(int index) const
{
    auto* text = dynamic_cast<const TxJSONstring*>(valueForGet(index));
    return text ? std::u16string(text->Text()) : std::u16string();
}

double TxJSONcustomlist::getDouble(int index) const
{
    auto* number = dynamic_cast<const TxJSONnumber*>(valueForGet(index));
    return number ? number->Number() : 0;
}

bool TxJSONcustomlist::getBoolean(int index) const
{
    auto* boolean = dynamic_cast<const TxJSONboolean*>(valueForGet(index));
    return boolean && boolean->Boolean();
}

// TxJSONlist

TxJSONcustomlist::ItemAndName TxJSONlist::ItemAndNameAt(int index) const
{
    if (!inRange(index))
        return {};
    return { ItemAt(index), widen(std::to_string(index)) };
}

const TxJSONbase* TxJSONlist::valueForGet(int index) const
{
    return ItemAt(index);
}

TxJSONtypes TxJSONlist::SelfType() const
{
    return TxJSONtypes::jsList;
}

std::string_view TxJSONlist::SelfTypeName() const
{
    return "jsList";
}

// TxJSONobject

const TxJSONobjectmethod* TxJSONobject::member(int index) const
{
    // Every child of an object is a member record: AddItem and SetItemAt admit no other.
    return inRange(index) ? static_cast<const TxJSONobjectmethod*>(fList[static_cast<std::size_t>(index)].get()) : nullptr;
}

namespace {

// Serialises the filling of indexes; it happens once per object and never on a hot path.
std::mutex indexMutex;

}

void TxJSONobject::ensureIndex() const
{
    if (fIndexed.load(std::memory_order_acquire))
        return;
    std::lock_guard lock(indexMutex);
    if (fIndexed.load(std::memory_order_relaxed))
        return;
    for (std::size_t i = 0; i < fList.size(); ++i)
        ht.Insert(static_cast<const TxJSONobjectmethod*>(fList[i].get())->Name(), static_cast<std::int32_t>(i));
    fIndexed.store(true, std::memory_order_release);
}

void TxJSONobject::dropIndex()
{
    ht.Clear();
    fIndexed.store(false, std::memory_order_relaxed);
}

const TxBalTree& TxJSONobject::NameIndex() const
{
    if (FUseHash)
        ensureIndex();
    return ht;
}

int TxJSONobject::IndexOfName(std::u16string_view name) const
{
    if (FUseHash) {
        ensureIndex();
        return ht.IndexOf(name);
    }
    for (std::size_t i = 0; i < fList.size(); ++i) {
        if (static_cast<const TxJSONobjectmethod*>(fList[i].get())->Name() == name)
            return static_cast<int>(i);
    }
    return -1;
}

const TxJSONbase* TxJSONobject::OldGetField(std::u16string_view name) const
{
    const TxJSONobjectmethod* found = member(IndexOfName(name));
    return found ? found->ObjValue() : nullptr;
}

void TxJSONobject::SetUseHash(bool useHash)
{
    if (useHash == FUseHash)
        return;
    FUseHash = useHash;
    dropIndex();
}

const TxJSONbase* TxJSONobject::ItemByKey(const TxJSONvariant& key) const
{
    if (auto* name = std::get_if<std::u16string>(&key))
        return OldGetField(*name);
    return TxJSONcustomlist::ItemByKey(key);
}

TxJSONcustomlist::ItemAndName TxJSONobject::ItemAndNameAt(int index) const
{
    const TxJSONobjectmethod* found = member(index);
    if (!found)
        return {};
    std::u16string name(found->Name());
    const TxJSONbase* value = name.empty() ? nullptr : OldGetField(name);
    return { value, std::move(name) };
}

const TxJSONbase* TxJSONobject::valueForGet(int index) const
{
    const TxJSONobjectmethod* found = member(index);
    return found ? OldGetField(found->Name()) : nullptr;
}

int TxJSONobject::AddItem(std::unique_ptr<TxJSONbase> value)
{
    if (!dynamic_cast<TxJSONobjectmethod*>(value.get()))
        return -1;
    int position = TxJSONcustomlist::AddItem(std::move(value));
    if (position >= 0 && fIndexed.load(std::memory_order_relaxed))
        ht.Insert(member(position)->Name(), position);
    return position;
}

void TxJSONobject::DeleteItem(int index)
{
    if (!inRange(index))
        return;
    TxJSONcustomlist::DeleteItem(index);
    dropIndex();
}

void TxJSONobject::SetItemAt(int index, std::unique_ptr<TxJSONbase> value)
{
    if (!inRange(index) || !dynamic_cast<TxJSONobjectmethod*>(value.get()))
        return;
    TxJSONcustomlist::SetItemAt(index, std::move(value));
    dropIndex();
}

TxJSONtypes TxJSONobject::SelfType() const
{
    return TxJSONtypes::jsObject;
}

std::string_view TxJSONobject::SelfTypeName() const
{
    return "jsObject";
}

const TxJSONobject* AsObject(const TxJSONbase* value)
{
    if (!value || value->SelfType() != TxJSONtypes::jsObject)
        return nullptr;
    return static_cast<const TxJSONobject*>(value);
}

}
