// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The JSON value tree: numbers, strings, booleans, null, lists and objects with a name
// index. Texts are UTF-16 (`std::u16string`); base/Utf.h converts to and from UTF-8.
//
// Ownership: a list owns its elements, an object its member records, a member record its
// value. Deleting a value deletes its whole subtree, children from the last to the first.
// A tree built by TxJSON::ParseText keeps its nodes in one arena owned by its root.

#include "json/BalTree.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nimbrell {

enum class TxJSONtypes : int {
    jsBase = 0,
    jsNumber = 1,
    jsString = 2,
    jsBoolean = 3,
    jsNull = 4,
    jsList = 5,
    jsObject = 6,
};

// The value of a node as a loosely typed variant; std::monostate is the null variant.
// Value() gives doubles for numbers; integers are accepted wherever a variant is taken.
using TxJSONvariant = std::variant<std::monostate, bool, std::int64_t, double, std::u16string>;

// Raised by the member text read and by failed variant conversions.
class TxJSONerror : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The variant as text: a text unchanged, a number in general form with at most 15
// significant digits (integers below 10^15 give their plain digits), a boolean as
// "true" or "false". Throws TxJSONerror for the null variant.
std::u16string VariantToText(const TxJSONvariant& value);

class JsonArena;

class TxJSONbase {
public:
    virtual ~TxJSONbase() = default;
    TxJSONbase(const TxJSONbase&) = delete;
    TxJSONbase& operator=(const TxJSONbase&) = delete;

    // A number gives a double, a string its text, a boolean a boolean; every other kind
    // gives the null variant.
    virtual TxJSONvariant Value() const;
    // Converts `value` to the node's kind; ignored by the kinds without a payload.
    // Throws TxJSONerror when the variant cannot be converted.
    virtual void SetValue(const TxJSONvariant& value);
    // The child at `index`, or nullptr (always nullptr for kinds without children).
    virtual TxJSONbase* ItemAt(int index) const;
    // Deletes the child at `index` and puts `value` in its place; ignored when out of range
    // or without a value.
    virtual void SetItemAt(int index, std::unique_ptr<TxJSONbase> value);
    virtual int Count() const;
    // On an object a text key finds a member's value (OldGetField); on a list or object a
    // numeric key is a position (ItemAt; a fractional key rounds to the nearest position,
    // halves to even). Every other combination yields this node.
    virtual const TxJSONbase* ItemByKey(const TxJSONvariant& key) const;
    virtual TxJSONtypes SelfType() const;
    virtual std::string_view SelfTypeName() const;

    // Nodes of a parsed document live in its arena: deleting one runs its destructor and
    // leaves the memory to the arena, which the document's root releases.
    void operator delete(TxJSONbase* node, std::destroying_delete_t);

    // For tests, with no changed parsed document alive: forgets that parsed documents were
    // changed, so that the next one is again freed without visiting its nodes.
    static void ForgetParsedTreeChanges();

protected:
    TxJSONbase() = default;
    bool IsPooled() const { return fPooled; }
    // To be called before a node of a parsed document takes anything that lives outside
    // its arena (see ~TxJSONcustomlist).
    static void NoteParsedTreeChanged();

private:
    friend struct JsonArenaAccess;
    bool fPooled { false };
};

class TxJSONnumber final : public TxJSONbase {
public:
    explicit TxJSONnumber(double value = 0)
        : FValue(value)
    {
    }

    double Number() const { return FValue; }

    TxJSONvariant Value() const override;
    void SetValue(const TxJSONvariant& value) override;
    TxJSONtypes SelfType() const override;
    std::string_view SelfTypeName() const override;

private:
    double FValue;
};

class TxJSONstring final : public TxJSONbase {
public:
    explicit TxJSONstring(std::u16string_view text = {});
    ~TxJSONstring() override;

    std::u16string_view Text() const { return { FValue, fSize }; }

    TxJSONvariant Value() const override;
    // Throws TxJSONerror for texts of 2^32 code units or more.
    void SetValue(const TxJSONvariant& value) override;
    TxJSONtypes SelfType() const override;
    std::string_view SelfTypeName() const override;

private:
    friend struct JsonArenaAccess;
    struct Adopt { };
    // Refers to `size` code units in the document's arena.
    TxJSONstring(Adopt, const char16_t* text, std::uint32_t size)
        : fSize(size)
        , FValue(text)
    {
    }

    // The flag and the size fill the tail padding of TxJSONbase: the node takes 24 bytes.
    bool fOwned { false };
    std::uint32_t fSize { 0 };
    const char16_t* FValue { u"" };
};

class TxJSONboolean final : public TxJSONbase {
public:
    explicit TxJSONboolean(bool value = false)
        : FValue(value)
    {
    }

    bool Boolean() const { return FValue; }

    TxJSONvariant Value() const override;
    void SetValue(const TxJSONvariant& value) override;
    TxJSONtypes SelfType() const override;
    std::string_view SelfTypeName() const override;

private:
    bool FValue;
};

class TxJSONnull final : public TxJSONbase {
public:
    TxJSONnull() = default;

    TxJSONtypes SelfType() const override;
    std::string_view SelfTypeName() const override;
};

// One member of an object: its name and its value. Its kind is jsBase.
class TxJSONobjectmethod final : public TxJSONbase {
public:
    // Throws TxJSONerror for names of 2^32 code units or more.
    explicit TxJSONobjectmethod(std::u16string_view name, std::unique_ptr<TxJSONbase> value = nullptr);
    ~TxJSONobjectmethod() override;

    // The name is fixed for the member's life: the owning object's index refers to it.
    std::u16string_view Name() const { return { FName, fNameSize }; }
    TxJSONbase* ObjValue() const { return FValue.get(); }
    void SetObjValue(std::unique_ptr<TxJSONbase> value);

private:
    friend struct JsonArenaAccess;
    struct Adopt { };
    // Refers to a name of `size` code units in the document's arena.
    TxJSONobjectmethod(Adopt, const char16_t* name, std::uint32_t size, std::unique_ptr<TxJSONbase> value)
        : fNameSize(size)
        , FValue(std::move(value))
        , FName(name)
    {
    }

    // As in TxJSONstring, these fill the tail padding of TxJSONbase: 32 bytes in all.
    bool fNameOwned { false };
    std::uint32_t fNameSize { 0 };
    std::unique_ptr<TxJSONbase> FValue;
    const char16_t* FName { u"" };
};

// Base of lists and objects: an ordered sequence of owned children.
class TxJSONcustomlist : public TxJSONbase {
public:
    ~TxJSONcustomlist() override;

    TxJSONbase* ItemAt(int index) const override;
    void SetItemAt(int index, std::unique_ptr<TxJSONbase> value) override;
    int Count() const override;
    const TxJSONbase* ItemByKey(const TxJSONvariant& key) const override;

    struct ItemAndName {
        const TxJSONbase* item { nullptr };
        std::u16string name;
    };
    // List: child `index` and its position as decimal text. Object: the name of member
    // `index` and the value of the first member of that name (nothing for an empty name).
    virtual ItemAndName ItemAndNameAt(int index) const = 0;
    // Appends `value` and returns its position; -1 without a value.
    virtual int AddItem(std::unique_ptr<TxJSONbase> value);
    // Deletes child `index`; the last child moves into the gap.
    virtual void DeleteItem(int index);
    virtual int IndexOfItem(const TxJSONbase* value) const;

    // Child `index` (on an object: the value of the first member named like member
    // `index`) read as the given kind; 0, empty text or false when it is of another kind.
    // getInt truncates toward zero and saturates at the 64-bit range.
    virtual std::int64_t getInt(int index) const;
    virtual std::string getString(int index) const; // UTF-8
    virtual std::u16string getWideString(int index) const;
    virtual double getDouble(int index) const;
    virtual bool getBoolean(int index) const;

protected:
    explicit TxJSONcustomlist(std::pmr::memory_resource* memory);
    virtual const TxJSONbase* valueForGet(int index) const = 0;
    bool inRange(int index) const { return index >= 0 && index < Count(); }
    // Before a child from outside the document's arena comes in.
    void noteChange() const;

    // Set on the root of a parsed document. Declared before fList so that the children
    // are gone before their arena is.
    std::unique_ptr<JsonArena> fArena;
    std::pmr::vector<std::unique_ptr<TxJSONbase>> fList;

private:
    friend struct JsonArenaAccess;
};

class TxJSONlist final : public TxJSONcustomlist {
public:
    explicit TxJSONlist(std::pmr::memory_resource* memory = std::pmr::new_delete_resource())
        : TxJSONcustomlist(memory)
    {
    }

    ItemAndName ItemAndNameAt(int index) const override;
    TxJSONtypes SelfType() const override;
    std::string_view SelfTypeName() const override;

protected:
    const TxJSONbase* valueForGet(int index) const override;
};

// An object: member records in document order, duplicates included, and a name index
// that maps each distinct name to the position of its first member. The index is filled
// on the first lookup, so that objects nobody searches cost no index.
class TxJSONobject final : public TxJSONcustomlist {
public:
    explicit TxJSONobject(std::pmr::memory_resource* memory = std::pmr::new_delete_resource())
        : TxJSONcustomlist(memory)
        , ht(memory)
    {
    }

    // The value of the first member named exactly `name`, or nullptr.
    const TxJSONbase* OldGetField(std::u16string_view name) const;
    // The position of the first member named `name`, or -1. Through the index when
    // UseHash is set, else by a scan from the first member. Lookups in one tree from
    // several threads at once are safe.
    int IndexOfName(std::u16string_view name) const;

    bool UseHash() const { return FUseHash; }
    void SetUseHash(bool useHash);
    // The index, filled when UseHash is set; empty otherwise.
    const TxBalTree& NameIndex() const;

    const TxJSONbase* ItemByKey(const TxJSONvariant& key) const override;
    ItemAndName ItemAndNameAt(int index) const override;
    // Only member records are accepted; any other value is deleted and -1 returned.
    int AddItem(std::unique_ptr<TxJSONbase> value) override;
    void DeleteItem(int index) override;
    // Only a member record replaces a member; any other value is deleted.
    void SetItemAt(int index, std::unique_ptr<TxJSONbase> value) override;
    TxJSONtypes SelfType() const override;
    std::string_view SelfTypeName() const override;

protected:
    const TxJSONbase* valueForGet(int index) const override;

private:
    friend struct JsonArenaAccess;
    const TxJSONobjectmethod* member(int index) const;
    void ensureIndex() const;
    void dropIndex();

    mutable TxBalTree ht;
    mutable std::atomic<bool> fIndexed { false };
    bool FUseHash { false };
};

// The object behind `value`, or nullptr when it is absent or of another kind.
const TxJSONobject* AsObject(const TxJSONbase* value);

}
