// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonDump.h"

#include "json/JsonReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <thread>

namespace nimbrell {
namespace {

using test::Dump;

std::unique_ptr<TxJSONbase> parse(std::string_view text)
{
    return TxJSON::ParseText(text);
}

const TxJSONobject& object(const std::unique_ptr<TxJSONbase>& root)
{
    const TxJSONobject* result = AsObject(root.get());
    if (!result)
        throw std::runtime_error("not an object");
    return *result;
}

std::unique_ptr<TxJSONobjectmethod> member(std::u16string_view name, double value)
{
    return std::make_unique<TxJSONobjectmethod>(name, std::make_unique<TxJSONnumber>(value));
}

TEST(JsonValue, KindsCodesAndNames)
{
    auto root = parse(R"([1,"s",true,null,[],{"m":0}])");
    ASSERT_TRUE(root);
    struct Row {
        const TxJSONbase* value;
        TxJSONtypes code;
        std::string_view name;
    };
    const Row rows[] = {
        { root->ItemAt(0), TxJSONtypes::jsNumber, "jsNumber" },
        { root->ItemAt(1), TxJSONtypes::jsString, "jsString" },
        { root->ItemAt(2), TxJSONtypes::jsBoolean, "jsBoolean" },
        { root->ItemAt(3), TxJSONtypes::jsNull, "jsNull" },
        { root->ItemAt(4), TxJSONtypes::jsList, "jsList" },
        { root->ItemAt(5), TxJSONtypes::jsObject, "jsObject" },
        { root->ItemAt(5)->ItemAt(0), TxJSONtypes::jsBase, "jsBase" },
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(row.value);
        EXPECT_EQ(row.value->SelfType(), row.code);
        EXPECT_EQ(static_cast<int>(row.value->SelfType()), static_cast<int>(row.code));
        EXPECT_EQ(row.value->SelfTypeName(), row.name);
    }
    EXPECT_EQ(static_cast<int>(TxJSONtypes::jsObject), 6);
}

TEST(JsonValue, ValueAndCountByKind)
{
    auto root = parse(R"([2.5,"s",true,null,[1,2,3],{"m":0},false])");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->ItemAt(0)->Value(), TxJSONvariant(2.5));
    EXPECT_EQ(root->ItemAt(1)->Value(), TxJSONvariant(u"s"));
    EXPECT_EQ(root->ItemAt(2)->Value(), TxJSONvariant(true));
    EXPECT_EQ(root->ItemAt(6)->Value(), TxJSONvariant(false));
    for (int i : { 3, 4, 5 })
        EXPECT_EQ(root->ItemAt(i)->Value(), TxJSONvariant()) << i;
    EXPECT_EQ(root->ItemAt(5)->ItemAt(0)->Value(), TxJSONvariant());

    EXPECT_EQ(root->Count(), 7);
    EXPECT_EQ(root->ItemAt(4)->Count(), 3);
    EXPECT_EQ(root->ItemAt(5)->Count(), 1);
    for (int i : { 0, 1, 2, 3 })
        EXPECT_EQ(root->ItemAt(i)->Count(), 0) << i;
    EXPECT_EQ(root->ItemAt(7), nullptr);
    EXPECT_EQ(root->ItemAt(-1), nullptr);
    EXPECT_EQ(root->ItemAt(0)->ItemAt(0), nullptr);
}

TEST(JsonValue, DuplicateNamesKeepBothMembersAndTheFirstWins)
{
    auto root = parse(R"({"a":1,"b":3,"a":2})");
    ASSERT_TRUE(root);
    const TxJSONobject& doc = object(root);
    EXPECT_TRUE(doc.UseHash());
    EXPECT_EQ(Dump(&doc), R"({"a":1,"b":3,"a":2})");
    EXPECT_EQ(Dump(doc.OldGetField(u"a")), "1");
    EXPECT_EQ(doc.IndexOfName(u"a"), 0);
    EXPECT_EQ(doc.IndexOfName(u"b"), 1);
    EXPECT_EQ(doc.IndexOfName(u"A"), -1);
    EXPECT_EQ(doc.IndexOfName(u""), -1);
    EXPECT_EQ(doc.OldGetField(u"c"), nullptr);
}

TEST(JsonValue, LookupsAgreeWithAndWithoutTheIndex)
{
    // Names in a shuffled order, each used three times, some sharing prefixes.
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i)
        names.push_back("k" + std::to_string(i % 100) + (i % 7 == 0 ? "" : "x"));
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    std::string text = "{";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += "\"" + names[i] + "\":" + std::to_string(i) + ",";
    text += "\"\":-1}";

    auto root = parse(text);
    ASSERT_TRUE(root);
    auto& doc = const_cast<TxJSONobject&>(object(root));
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto first = std::find(names.begin(), names.end(), names[i]) - names.begin();
        std::u16string name = Utf8ToUtf16(names[i]);
        ASSERT_EQ(doc.IndexOfName(name), first) << names[i];
    }
    EXPECT_EQ(doc.IndexOfName(u""), static_cast<int>(names.size()));

    doc.SetUseHash(false);
    EXPECT_TRUE(doc.NameIndex().IsEmpty());
    for (const std::string& name : names) {
        auto first = std::find(names.begin(), names.end(), name) - names.begin();
        ASSERT_EQ(doc.IndexOfName(Utf8ToUtf16(name)), first) << name;
    }
    doc.SetUseHash(true);
    EXPECT_EQ(doc.IndexOfName(Utf8ToUtf16(names[5])), std::find(names.begin(), names.end(), names[5]) - names.begin());
}

TEST(JsonValue, RecordsInAListRepeatingNames)
{
    // Many names per record (more than the reader's first table of shared names holds),
    // escaped spellings of one name, and a long name.
    std::string longName(100, 'n');
    std::string text = "[";
    for (int record = 0; record < 3; ++record) {
        text += "{";
        for (int i = 0; i < 300; ++i)
            text += "\"f" + std::to_string(i) + "\":" + std::to_string(record * 1000 + i) + ",";
        text += "\"b\\u0041\":\"escaped\",\"bA\":\"plain\",\"" + longName + "\":" + std::to_string(record) + "},";
    }
    text += "]";
    auto root = parse(text);
    ASSERT_TRUE(root);
    ASSERT_EQ(root->Count(), 3);
    for (int record = 0; record < 3; ++record) {
        const TxJSONobject* object = AsObject(root->ItemAt(record));
        ASSERT_TRUE(object);
        ASSERT_EQ(object->Count(), 303);
        for (int i = 0; i < 300; ++i) {
            std::u16string name = Utf8ToUtf16("f" + std::to_string(i));
            ASSERT_EQ(ReadMemberText(*object, name), Utf8ToUtf16(std::to_string(record * 1000 + i)));
        }
        EXPECT_EQ(ReadMemberText(*object, u"bA"), u"escaped");
        EXPECT_EQ(object->IndexOfName(u"bA"), 300);
        EXPECT_EQ(static_cast<const TxJSONobjectmethod*>(object->ItemAt(301))->Name(), u"bA");
        EXPECT_EQ(Dump(object->OldGetField(Utf8ToUtf16(longName))), std::to_string(record));
    }
}

// Checks the AA tree's shape rules and returns the number of nodes.
int checkAaTree(const TxBalNode* node, const TxBalNode* sentinel)
{
    if (node == sentinel)
        return 0;
    EXPECT_LT(node->left->level, node->level) << "left child on the same level";
    EXPECT_TRUE(node->right->level == node->level || node->right->level == node->level - 1);
    EXPECT_LT(node->right->right->level, node->level) << "two right links on one level";
    if (node->left == sentinel || node->right == sentinel) {
        EXPECT_EQ(node->level, 1) << "a node missing a child sits above level 1";
    }
    if (node->left != sentinel) {
        EXPECT_LT(node->left->nm, node->nm);
    }
    if (node->right != sentinel) {
        EXPECT_GT(node->right->nm, node->nm);
    }
    return 1 + checkAaTree(node->left, sentinel) + checkAaTree(node->right, sentinel);
}

TEST(BalTree, StaysBalancedAndKeepsTheFirstPositionOfAName)
{
    std::vector<std::u16string> names;
    for (int i = 0; i < 2000; ++i)
        names.push_back(Utf8ToUtf16("name" + std::to_string(i)));
    std::vector<std::u16string> ascending = names;
    std::sort(ascending.begin(), ascending.end());
    std::vector<std::u16string> shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(1));

    for (const auto* order : { &ascending, &shuffled }) {
        TxBalTree tree;
        for (std::size_t i = 0; i < order->size(); ++i)
            tree.Insert((*order)[i], static_cast<std::int32_t>(i));
        // A second insert of every name must not replace the first entry.
        for (std::size_t i = 0; i < order->size(); ++i)
            tree.Insert((*order)[i], -7);
        EXPECT_EQ(checkAaTree(tree.Root(), tree.Sentinel()), 2000);
        EXPECT_EQ(tree.Sentinel()->level, 0);
        EXPECT_LE(tree.Root()->level, 12); // at most log2(n + 1)
        for (std::size_t i = 0; i < order->size(); ++i)
            ASSERT_EQ(tree.IndexOf((*order)[i]), static_cast<std::int32_t>(i));
        EXPECT_EQ(tree.IndexOf(u"name"), -1);
        EXPECT_EQ(tree.IndexOf(u"name20000"), -1);
        tree.Clear();
        EXPECT_TRUE(tree.IsEmpty());
        EXPECT_EQ(tree.IndexOf(names[0]), -1);
    }
}

TEST(BalTree, ComparesByUtf16CodeUnits)
{
    TxBalTree tree;
    const std::u16string names[] = { u"b", u"a", u"ab", u"B", u"\u00e9", u"\U0001F600", u"\uFF21", u"" };
    for (std::size_t i = 0; i < std::size(names); ++i)
        tree.Insert(names[i], static_cast<std::int32_t>(i));
    EXPECT_EQ(checkAaTree(tree.Root(), tree.Sentinel()), 8);
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(tree.IndexOf(names[i]), static_cast<std::int32_t>(i));
    // U+1F600 is a surrogate pair (D83D DE00) and sorts below U+FF21 by code unit.
    const TxBalNode* node = tree.Root();
    std::vector<std::u16string> inOrder;
    std::function<void(const TxBalNode*)> walk = [&](const TxBalNode* n) {
        if (n == tree.Sentinel())
            return;
        walk(n->left);
        inOrder.emplace_back(n->nm);
        walk(n->right);
    };
    walk(node);
    EXPECT_EQ(inOrder, (std::vector<std::u16string> { u"", u"B", u"a", u"ab", u"b", u"\u00e9", u"\U0001F600", u"\uFF21" }));
}

TEST(JsonValue, ItemByKeyCombinations)
{
    auto root = parse(R"({"a":[10,20],"n":5,"s":"t"})");
    ASSERT_TRUE(root);
    const TxJSONbase* doc = root.get();
    const TxJSONbase* list = doc->ItemByKey(u"a");
    ASSERT_TRUE(list);
    EXPECT_EQ(Dump(list), "[10,20]");
    EXPECT_EQ(doc->ItemByKey(u"missing"), nullptr);

    // A numeric key on an object gives the member record, not its value.
    const TxJSONbase* record = doc->ItemByKey(std::int64_t(1));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->SelfType(), TxJSONtypes::jsBase);
    EXPECT_EQ(static_cast<const TxJSONobjectmethod*>(record)->Name(), u"n");
    EXPECT_EQ(doc->ItemByKey(2.0), doc->ItemAt(2));
    EXPECT_EQ(doc->ItemByKey(std::int64_t(3)), nullptr);

    EXPECT_EQ(Dump(list->ItemByKey(std::int64_t(1))), "20");
    EXPECT_EQ(Dump(list->ItemByKey(0.0)), "10");
    EXPECT_EQ(list->ItemByKey(std::int64_t(-1)), nullptr);
    EXPECT_EQ(list->ItemByKey(1e300), nullptr);

    // Every other combination yields the receiver.
    const TxJSONbase* number = doc->ItemByKey(u"n");
    const TxJSONbase* text = doc->ItemByKey(u"s");
    const TxJSONvariant keys[] = { TxJSONvariant(), TxJSONvariant(true), TxJSONvariant(u"a"), TxJSONvariant(std::int64_t(0)) };
    for (const TxJSONvariant& key : keys) {
        EXPECT_EQ(number->ItemByKey(key), number);
        EXPECT_EQ(text->ItemByKey(key), text);
        EXPECT_EQ(record->ItemByKey(key), record);
    }
    EXPECT_EQ(list->ItemByKey(u"a"), list);
    EXPECT_EQ(list->ItemByKey(true), list);
    EXPECT_EQ(doc->ItemByKey(TxJSONvariant()), doc);
}

TEST(JsonValue, MemberTextRead)
{
    auto root = parse(R"({"s":"多云","stamp":201108181030,"t":25,"neg":-0.5e+2,"third":0.3333333333333333,)"
                      R"("big":1e20,"yes":true,"z":null,"l":[],"o":{},"e":""})");
    ASSERT_TRUE(root);
    const TxJSONobject& doc = object(root);
    struct Row {
        std::u16string name;
        std::u16string text;
    };
    const Row rows[] = {
        { u"s", u"多云" },
        { u"stamp", u"201108181030" },
        { u"t", u"25" },
        { u"neg", u"-50" },
        { u"third", u"0.333333333333333" },
        { u"big", u"1e+20" },
        { u"yes", u"true" },
        { u"e", u"" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(ReadMemberText(doc, row.name), row.text) << Utf16ToUtf8(row.name);
    EXPECT_EQ(ReadMemberTextUtf8(doc, u"s"), "多云");

    for (std::u16string_view name : { u"z", u"l", u"o", u"missing", u"S" })
        EXPECT_THROW(ReadMemberText(doc, name), TxJSONerror) << Utf16ToUtf8(name);
}

TEST(JsonValue, SetValueConvertsToTheNodesKind)
{
    TxJSONnumber number;
    TxJSONstring text;
    TxJSONboolean boolean;
    EXPECT_EQ(number.Number(), 0);
    EXPECT_EQ(text.Text(), u"");
    EXPECT_FALSE(boolean.Boolean());

    number.SetValue(u"12.5");
    EXPECT_EQ(number.Number(), 12.5);
    number.SetValue(std::int64_t(-3));
    EXPECT_EQ(number.Number(), -3);
    EXPECT_THROW(number.SetValue(u"12x"), TxJSONerror);
    EXPECT_THROW(number.SetValue(TxJSONvariant()), TxJSONerror);
    EXPECT_EQ(number.Number(), -3);

    text.SetValue(201108181030.0);
    EXPECT_EQ(text.Text(), u"201108181030");
    text.SetValue(u"x");
    EXPECT_EQ(text.Text(), u"x");

    boolean.SetValue(u"true");
    EXPECT_TRUE(boolean.Boolean());
    boolean.SetValue(0.0);
    EXPECT_FALSE(boolean.Boolean());

    TxJSONnull null;
    null.SetValue(1.0);
    EXPECT_EQ(null.Value(), TxJSONvariant());
}

TEST(JsonValue, ListOperations)
{
    auto root = parse(R"([1,"two",true,4.9,-4.9])");
    ASSERT_TRUE(root);
    auto& list = static_cast<TxJSONcustomlist&>(*root);
    EXPECT_EQ(list.getInt(0), 1);
    EXPECT_EQ(list.getInt(3), 4);
    EXPECT_EQ(list.getInt(4), -4);
    EXPECT_EQ(list.getInt(1), 0);
    EXPECT_EQ(list.getString(1), "two");
    EXPECT_EQ(list.getWideString(1), u"two");
    EXPECT_EQ(list.getString(0), "");
    EXPECT_EQ(list.getDouble(3), 4.9);
    EXPECT_TRUE(list.getBoolean(2));
    EXPECT_FALSE(list.getBoolean(0));
    EXPECT_EQ(list.getInt(99), 0);

    auto itemAndName = list.ItemAndNameAt(1);
    EXPECT_EQ(itemAndName.name, u"1");
    EXPECT_EQ(itemAndName.item, list.ItemAt(1));
    EXPECT_EQ(list.ItemAndNameAt(5).item, nullptr);

    EXPECT_EQ(list.AddItem(std::make_unique<TxJSONstring>(u"new")), 5);
    EXPECT_EQ(list.AddItem(nullptr), -1);
    EXPECT_EQ(list.IndexOfItem(list.ItemAt(5)), 5);
    EXPECT_EQ(list.IndexOfItem(nullptr), -1);

    list.DeleteItem(1); // the last element moves into the gap
    EXPECT_EQ(Dump(&list), R"([1,"new",true,4.9000000000000004,-4.9000000000000004])");
    list.SetItemAt(0, std::make_unique<TxJSONnull>());
    list.SetItemAt(9, std::make_unique<TxJSONnull>());
    list.SetItemAt(1, nullptr);
    list.DeleteItem(-1);
    EXPECT_EQ(Dump(&list), R"([null,"new",true,4.9000000000000004,-4.9000000000000004])");
}

TEST(JsonValue, ObjectOperationsKeepTheIndexRight)
{
    auto root = parse(R"({"a":1,"b":2,"a":3,"c":"x","":5})");
    ASSERT_TRUE(root);
    auto& doc = const_cast<TxJSONobject&>(object(root));

    // Object getters read the first member named like member i.
    EXPECT_EQ(doc.getInt(2), 1);
    EXPECT_EQ(doc.getString(3), "x");
    EXPECT_EQ(doc.ItemAndNameAt(2).name, u"a");
    EXPECT_EQ(Dump(doc.ItemAndNameAt(2).item), "1");
    EXPECT_EQ(doc.ItemAndNameAt(4).item, nullptr);
    EXPECT_EQ(doc.ItemAndNameAt(4).name, u"");

    // Deleting the first "a" moves the empty-named member into its place; "a" is then
    // found at position 2.
    doc.DeleteItem(0);
    EXPECT_EQ(Dump(&doc), R"({"":5,"b":2,"a":3,"c":"x"})");
    EXPECT_EQ(doc.IndexOfName(u"a"), 2);
    EXPECT_EQ(Dump(doc.OldGetField(u"a")), "3");
    EXPECT_EQ(doc.IndexOfName(u""), 0);

    EXPECT_EQ(doc.AddItem(member(u"d", 4)), 4);
    EXPECT_EQ(Dump(doc.OldGetField(u"d")), "4");
    EXPECT_EQ(doc.AddItem(std::make_unique<TxJSONnumber>(1)), -1);
    EXPECT_EQ(doc.Count(), 5);

    doc.SetItemAt(1, member(u"e", 6));
    EXPECT_EQ(doc.IndexOfName(u"b"), -1);
    EXPECT_EQ(doc.IndexOfName(u"e"), 1);
    doc.SetItemAt(1, std::make_unique<TxJSONnumber>(1));
    EXPECT_EQ(doc.IndexOfName(u"e"), 1);

    // An object built by hand starts without the index and finds members by scanning.
    TxJSONobject manual;
    EXPECT_FALSE(manual.UseHash());
    manual.AddItem(member(u"x", 1));
    manual.AddItem(member(u"x", 2));
    EXPECT_EQ(Dump(manual.OldGetField(u"x")), "1");
}

// Records the order in which nodes are deleted.
class Probe : public TxJSONbase {
public:
    Probe(std::vector<int>& log, int id)
        : m_log(log)
        , m_id(id)
    {
    }
    ~Probe() override { m_log.push_back(m_id); }

private:
    std::vector<int>& m_log;
    int m_id;
};

TEST(JsonValue, ChildrenAreFreedFromTheLastToTheFirst)
{
    std::vector<int> log;
    {
        TxJSONlist list;
        for (int id = 1; id <= 3; ++id)
            list.AddItem(std::make_unique<Probe>(log, id));
    }
    EXPECT_EQ(log, (std::vector<int> { 3, 2, 1 }));
}

// A parsed document that nobody changed is freed without visiting its nodes; nodes made by
// the caller can still live in one, at any depth, and are freed with it.
TEST(JsonValue, NodesPutIntoAParsedTreeAreFreedWithIt)
{
    std::vector<int> log;
    TxJSONbase::ForgetParsedTreeChanges();
    {
        auto root = parse(R"([[1,2],{"a":[3]}])");
        ASSERT_TRUE(root);
        auto* inner = static_cast<TxJSONlist*>(root->ItemAt(0));
        inner->SetItemAt(0, std::make_unique<Probe>(log, 7));
        inner->AddItem(std::make_unique<Probe>(log, 8));
        EXPECT_TRUE(log.empty());
        inner->DeleteItem(0); // Probe 8 moves to position 0
        EXPECT_EQ(log, std::vector<int> { 7 });
    }
    EXPECT_EQ(log, (std::vector<int> { 7, 8 }));

    log.clear();
    TxJSONbase::ForgetParsedTreeChanges();
    {
        auto root = parse(R"({"a":{"b":1,"c":"x"}})");
        ASSERT_TRUE(root);
        auto* inner = static_cast<const TxJSONobject*>(object(root).OldGetField(u"a"));
        static_cast<TxJSONobjectmethod*>(inner->ItemAt(0))->SetObjValue(std::make_unique<Probe>(log, 9));
        // Text of its own, which the sanitized build sees leak if the string is not freed.
        static_cast<TxJSONobjectmethod*>(inner->ItemAt(1))->ObjValue()->SetValue(std::u16string(u"a text longer than the parsed one"));
    }
    EXPECT_EQ(log, std::vector<int> { 9 });

    log.clear();
    TxJSONbase::ForgetParsedTreeChanges();
    {
        auto root = parse(R"([[1]])");
        ASSERT_TRUE(root);
        static_cast<TxJSONlist*>(root.get())->AddItem(std::make_unique<Probe>(log, 10));
    }
    EXPECT_EQ(log, std::vector<int> { 10 });
    TxJSONbase::ForgetParsedTreeChanges();
}

TEST(JsonValue, TreesOnSeveralThreadsAreIndependent)
{
    std::string text = R"({"weatherinfo":{"temp1":"1","temp2":"2"}})";
    std::vector<std::thread> threads;
    std::atomic<int> good { 0 };
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                auto root = TxJSON::ParseText(std::string_view(text));
                auto* info = root ? AsObject(AsObject(root.get())->OldGetField(u"weatherinfo")) : nullptr;
                if (info && ReadMemberText(*info, u"temp2") == u"2")
                    ++good;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(good, 800);
}

TEST(JsonValue, ConcurrentLookupsInOneTreeAgree)
{
    std::string text = "{";
    for (int i = 0; i < 500; ++i)
        text += "\"m" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    text += "}";
    auto root = TxJSON::ParseText(std::string_view(text));
    ASSERT_TRUE(root);
    const TxJSONobject& doc = object(root);
    std::vector<std::thread> threads;
    std::atomic<int> good { 0 };
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                int n = (i * 7 + t * 131) % 500;
                if (doc.IndexOfName(Utf8ToUtf16("m" + std::to_string(n))) == n)
                    ++good;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(good, 2000);
}

}
}
