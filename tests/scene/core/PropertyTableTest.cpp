// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestClasses.h"

#include "scene/core/ObjectStream.h"

#include <gtest/gtest.h>

namespace nimbrell::test {
namespace {

std::vector<std::string> propertyNames(const ClassInfo& info)
{
    std::vector<std::string> names;
    for (const PropertyInfo* property : info.Properties())
        names.emplace_back(property->Name());
    return names;
}

TEST(PropertyTable, InheritedEntriesComeFirstInDeclarationOrder)
{
    auto names = propertyNames(TTestNode::StaticClass());
    std::vector<std::string> expected { "Index", "Parent", "BindingName", "ResourceName", "Count", "Kind", "Flag", "Shown",
        "Options", "Size", "Caption", "Position", "Margins", "Items", "Link", "OnClick", "Points", "Cursor", "IsReadOnly" };
    EXPECT_EQ(names, expected);
    EXPECT_EQ(propertyNames(TTestContent::StaticClass()), expected);
    EXPECT_TRUE(TTestContent::StaticClass().InheritsFrom(TvxObject::StaticClass()));
    EXPECT_FALSE(TvxObject::StaticClass().InheritsFrom(TTestNode::StaticClass()));
}

TEST(PropertyTable, NamesAreMatchedWithoutRegardToCase)
{
    const ClassInfo& info = TTestNode::StaticClass();
    for (const char* name : { "caption", "CAPTION", "Caption", "cApTiOn" })
        EXPECT_EQ(info.FindProperty(name), info.FindProperty("Caption")) << name;
    EXPECT_EQ(info.FindProperty("Captions"), nullptr);
    EXPECT_EQ(info.FindMethod("buttonclick"), nullptr);
    EXPECT_EQ(TTestForm::StaticClass().FindMethod("buttonclick")->name, "ButtonClick");
}

TEST(PropertyTable, KindsAccessorsAndStoredRules)
{
    TTestNode node(nullptr);
    const ClassInfo& info = node.Class();

    struct Row {
        const char* name;
        PropertyKind kind;
        bool writable;
        std::optional<std::int64_t> defaultValue;
    };
    const Row rows[] = {
        { "Index", PropertyKind::Integer, true, std::nullopt },
        { "Parent", PropertyKind::Reference, true, std::nullopt },
        { "Count", PropertyKind::Integer, true, 0 },
        { "Kind", PropertyKind::Enumeration, true, 0 },
        { "Shown", PropertyKind::Enumeration, true, 1 },
        { "Options", PropertyKind::Set, true, 0 },
        { "Size", PropertyKind::Float, true, std::nullopt },
        { "Caption", PropertyKind::Text, true, std::nullopt },
        { "Position", PropertyKind::Object, false, std::nullopt },
        { "Link", PropertyKind::Reference, true, std::nullopt },
        { "OnClick", PropertyKind::Event, true, std::nullopt },
        { "Points", PropertyKind::Collection, false, std::nullopt },
        { "IsReadOnly", PropertyKind::Enumeration, false, std::nullopt },
    };
    for (const Row& row : rows) {
        const PropertyInfo* property = info.FindProperty(row.name);
        ASSERT_NE(property, nullptr) << row.name;
        EXPECT_EQ(property->Kind(), row.kind) << row.name;
        EXPECT_EQ(property->CanWrite(), row.writable) << row.name;
        EXPECT_EQ(property->Default(), row.defaultValue) << row.name;
    }
    EXPECT_FALSE(info.FindProperty("Index")->IsStored(node));
    EXPECT_FALSE(info.FindProperty("Parent")->IsStored(node));
    EXPECT_TRUE(info.FindProperty("Caption")->IsStored(node));

    info.FindProperty("count")->SetInteger(node, 1234567890123);
    EXPECT_EQ(node.Count(), 1234567890123);
    EXPECT_TRUE(info.FindProperty("kind")->SetIdentifier(node, "TKTHIRD"));
    EXPECT_EQ(node.Kind(), TestKind::tkThird);
    EXPECT_EQ(info.FindProperty("kind")->GetIdentifier(node), "tkThird");
    EXPECT_FALSE(info.FindProperty("kind")->SetIdentifier(node, "tkFourth"));
    EXPECT_EQ(info.FindProperty("shown")->GetIdentifier(node), "True");
    EXPECT_TRUE(info.FindProperty("shown")->SetIdentifier(node, "false"));
    EXPECT_FALSE(node.Shown());
    info.FindProperty("options")->SetInteger(node, 0b1010);
    EXPECT_EQ(node.Options(), (TestOptions { TestOption::toTop, TestOption::toBottom }));
    info.FindProperty("size")->SetFloat(node, 2.5f);
    EXPECT_EQ(node.Size(), 2.5f);
    info.FindProperty("caption")->SetText(node, "后天");
    EXPECT_EQ(info.FindProperty("caption")->GetText(node), "后天");
    EXPECT_EQ(info.FindProperty("position")->GetObject(node), &node.Position());
    EXPECT_EQ(info.FindProperty("points")->GetCollection(node), &node.Points());
}

TEST(PropertyTable, ReferenceRefusesAComponentOfTheWrongClass)
{
    TTestNode node(nullptr);
    TTestNode other(nullptr);
    TvxObject plain(nullptr);
    const PropertyInfo* link = node.Class().FindProperty("Link");
    link->SetReference(node, &other);
    EXPECT_EQ(node.Link(), &other);
    EXPECT_THROW(link->SetReference(node, &plain), std::invalid_argument);
    EXPECT_EQ(node.Link(), &other);
    link->SetReference(node, nullptr);
    EXPECT_EQ(node.Link(), nullptr);
}

TEST(PropertyTable, EventsBindByNameToMethodsOfMatchingSignature)
{
    TTestForm form(nullptr);
    TTestNode node(nullptr);
    const PropertyInfo* onClick = node.Class().FindProperty("OnClick");
    EXPECT_TRUE(onClick->BindMethod(node, &form, "buttonCLICK"));
    EXPECT_EQ(onClick->GetMethodName(node), "ButtonClick");
    node.OnClick(&node);
    ASSERT_EQ(form.clicks.size(), 1u);
    EXPECT_EQ(form.clicks[0], &node);

    EXPECT_FALSE(onClick->BindMethod(node, &form, "OtherSignature"));
    EXPECT_FALSE(onClick->BindMethod(node, &form, "Missing"));
    EXPECT_TRUE(onClick->BindMethod(node, &form, ""));
    EXPECT_FALSE(static_cast<bool>(node.OnClick));
}

TEST(PropertyTable, DottedPathsResolveThroughObjectProperties)
{
    TTestNode parent(nullptr);
    auto* child = new TTestNode(nullptr);
    parent.AddObject(child);
    child->Position().SetPoint({ 3, 4 });

    struct Row {
        const char* path;
        TvxPersistent* holder;
        const char* finalName;
        bool found;
    };
    const Row rows[] = {
        { "Position.Y", &child->Position(), "Y", true },
        { " position . x ", &child->Position(), "x", true },
        { "Margins.Left", &child->Margins(), "Left", true },
        { "Parent.Size", &parent, "Size", true },
        { "Parent.Position.X", &parent.Position(), "X", true },
        { "Size", child, "Size", true },
        // Segments that name no object property are dropped.
        { "Nothing.Size", child, "Size", true },
        { "Caption.Size", child, "Size", true },
        { "Position.Missing", &child->Position(), "Missing", false },
    };
    for (const Row& row : rows) {
        ResolvedProperty resolved = ResolvePropertyPath(*child, row.path);
        EXPECT_EQ(resolved.holder, row.holder) << row.path;
        EXPECT_EQ(resolved.finalName, row.finalName) << row.path;
        EXPECT_EQ(resolved.property != nullptr, row.found) << row.path;
    }
    ResolvedProperty y = ResolvePropertyPath(*child, "Position.Y");
    EXPECT_EQ(y.property->GetFloat(*y.holder), 4.0f);
    y.property->SetFloat(*y.holder, 9.0f);
    EXPECT_EQ(child->Position().Y(), 9.0f);

    // "Parent.Parent.Size" on a child whose grandparent is missing has no holder.
    EXPECT_EQ(ResolvePropertyPath(*child, "Parent.Parent.Size").holder, nullptr);
}

TEST(ClassRegistry, FindsRegisteredClassesByNameWithoutRegardToCase)
{
    RegisterTestClasses();
    EXPECT_EQ(FindClass("ttestnode"), &TTestNode::StaticClass());
    EXPECT_EQ(FindClass("TvxObject"), &TvxObject::StaticClass());
    EXPECT_EQ(FindClass("TUnknown"), nullptr);
    TvxComponent* made = FindClass("TTestNode")->Create(nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(&made->Class(), &TTestNode::StaticClass());
    made->Free();
}

}
}
