// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Classes with one property of every kind, for the property table and stream tests.

#include "scene/core/TvxBounds.h"
#include "scene/core/TvxCollection.h"
#include "scene/core/TvxEvent.h"
#include "scene/core/TvxObject.h"
#include "scene/core/TvxPosition.h"
#include "scene/core/TvxWideStrings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nimbrell::test {

enum class TestKind {
    tkFirst,
    tkSecond,
    tkThird
};
enum class TestOption {
    toLeft,
    toTop,
    toRight,
    toBottom
};
using TestOptions = EnumSet<TestOption>;

}

NIMBRELL_ENUM(nimbrell::test::TestKind, "tkFirst", "tkSecond", "tkThird")
NIMBRELL_ENUM(nimbrell::test::TestOption, "toLeft", "toTop", "toRight", "toBottom")

namespace nimbrell::test {

class TTestItem : public TvxCollectionItem {
    NIMBRELL_CLASS(TTestItem)
public:
    const std::string& Color() const { return m_color; }
    void SetColor(std::string_view value) { UpdateField(m_color, std::string(value)); }
    float Offset() const { return m_offset; }
    void SetOffset(float value) { UpdateField(m_offset, value); }
    TvxObject* Target() const { return m_target; }
    void SetTarget(TvxObject* value) { m_target = value; }

private:
    std::string m_color;
    float m_offset { 0 };
    TvxObject* m_target { nullptr };
};

class TTestNode : public TvxObject {
    NIMBRELL_CLASS(TTestNode)
public:
    explicit TTestNode(TvxComponent* owner);

    std::int64_t Count() const { return m_count; }
    void SetCount(std::int64_t value) { m_count = value; }
    TestKind Kind() const { return m_kind; }
    void SetKind(TestKind value) { m_kind = value; }
    bool Flag() const { return m_flag; }
    void SetFlag(bool value) { m_flag = value; }
    bool Shown() const { return m_shown; }
    void SetShown(bool value) { m_shown = value; }
    TestOptions Options() const { return m_options; }
    void SetOptions(TestOptions value) { m_options = value; }
    float Size() const { return m_size; }
    void SetSize(float value) { m_size = value; }
    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string_view value) { m_caption = std::string(value); }
    TvxPosition& Position() { return m_position; }
    const TvxPosition& Position() const { return m_position; }
    TvxBounds& Margins() { return m_margins; }
    const TvxBounds& Margins() const { return m_margins; }
    TvxWideStrings& Items() { return m_items; }
    const TvxWideStrings& Items() const { return m_items; }
    TTestNode* Link() const { return m_link; }
    void SetLink(TTestNode* value) { m_link = value; }
    TvxCollectionOf<TTestItem>& Points() { return m_points; }
    const TvxCollectionOf<TTestItem>& Points() const { return m_points; }
    int Cursor() const { return m_cursor; }
    void SetCursor(int value) { m_cursor = value; }
    bool IsReadOnly() const { return true; }
    const std::vector<std::uint8_t>& Blob() const { return m_blob; }
    void SetBlob(std::vector<std::uint8_t> value) { m_blob = std::move(value); }

    TvxEvent<TvxObject*> OnClick;

    // Counts Loaded calls, in order, across all nodes.
    static std::vector<std::string>& LoadedOrder();
    void Loaded() override;
    // Data is the caption; only texts are taken.
    TvxVariant GetData() const override { return m_caption; }
    void SetData(const TvxVariant& value) override;
    void DefineProperties(TvxFiler& filer) override;

private:
    std::int64_t m_count { 0 };
    TestKind m_kind { TestKind::tkFirst };
    bool m_flag { false };
    bool m_shown { true };
    TestOptions m_options;
    float m_size { 0 };
    std::string m_caption;
    TvxPosition m_position;
    TvxBounds m_margins;
    TvxWideStrings m_items;
    TTestNode* m_link { nullptr };
    TvxCollectionOf<TTestItem> m_points;
    int m_cursor { 0 };
    std::vector<std::uint8_t> m_blob;
};

// A content container: written flattened into its parent.
class TTestContent : public TTestNode {
    NIMBRELL_CLASS(TTestContent)
public:
    using TTestNode::TTestNode;
    bool IsContentContainer() const override { return true; }
};

// A styled control: searches by resource name do not enter it.
class TTestControl : public TTestNode {
    NIMBRELL_CLASS(TTestControl)
public:
    using TTestNode::TTestNode;
    bool IsStyledControl() const override { return true; }
};

// The window a stream belongs to: published methods and a published field.
class TTestForm : public TvxObject {
    NIMBRELL_CLASS(TTestForm)
public:
    using TvxObject::TvxObject;

    void ButtonClick(TvxObject* sender) { clicks.push_back(sender); }
    void OtherSignature(int) { }
    // Design-tool settings: always written, read and discarded.
    void DefineProperties(TvxFiler& filer) override;

    TTestNode* Button { nullptr };
    std::vector<TvxObject*> clicks;
};

// A container carrying a private tree as a nested stream (the ResourcesBin form).
class TTestResources : public TvxObject {
    NIMBRELL_CLASS(TTestResources)
public:
    using TvxObject::TvxObject;
    ~TTestResources() override;

    TvxObject* Tree() const { return m_tree; }
    // Takes ownership of a tree that has no owner.
    void SetTree(TvxObject* tree);
    void DefineProperties(TvxFiler& filer) override;

private:
    TvxObject* m_tree { nullptr };
};

// An animation stand-in recording what the walks ask of it.
class TTestAnimation : public TvxObject, public IAnimationRole {
    NIMBRELL_CLASS(TTestAnimation)
public:
    using TvxObject::TvxObject;

    IAnimationRole* AsAnimation() override { return this; }
    void Start() override { log().push_back("start " + Name()); }
    void Stop() override { log().push_back("stop " + Name()); }
    bool HasTrigger() const override { return !trigger.empty(); }
    void StartTrigger(TvxObject*, std::string_view name) override { log().push_back("trigger " + Name() + " " + std::string(name)); }
    void StartTriggerWait(TvxObject* instance, std::string_view name) override { StartTrigger(instance, name); }

    std::string trigger;
    static std::vector<std::string>& log();
};

// A visual-like part of a style template, which the trigger walks enter.
class TTestTemplatePart : public TvxObject {
    NIMBRELL_CLASS(TTestTemplatePart)
public:
    using TvxObject::TvxObject;
    bool IsTemplatePart() const override { return true; }
};

void RegisterTestClasses();

}
