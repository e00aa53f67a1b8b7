// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestClasses.h"

#include "scene/core/CursorIdentifiers.h"
#include "scene/core/DesignGrid.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectWriter.h"
#include "scene/core/TvxFiler.h"

namespace nimbrell::test {

NIMBRELL_DEFINE_CLASS(TTestItem, TvxCollectionItem)
{
    c.Text("Color", &TTestItem::Color, &TTestItem::SetColor);
    c.Float("Offset", &TTestItem::Offset, &TTestItem::SetOffset);
    c.Reference("Target", &TTestItem::Target, &TTestItem::SetTarget);
}

NIMBRELL_DEFINE_CLASS(TTestNode, TvxObject)
{
    c.Integer("Count", &TTestNode::Count, &TTestNode::SetCount).Default(0);
    c.Enum("Kind", &TTestNode::Kind, &TTestNode::SetKind).Default(TestKind::tkFirst);
    c.Enum("Flag", &TTestNode::Flag, &TTestNode::SetFlag).Default(false);
    c.Enum("Shown", &TTestNode::Shown, &TTestNode::SetShown).Default(true);
    c.Set("Options", &TTestNode::Options, &TTestNode::SetOptions).Default(TestOptions {});
    c.Float("Size", &TTestNode::Size, &TTestNode::SetSize);
    c.Text("Caption", &TTestNode::Caption, &TTestNode::SetCaption);
    c.Object("Position", [](const TTestNode& node) { return &node.Position(); });
    c.Object("Margins", [](const TTestNode& node) { return &node.Margins(); });
    c.Object("Items", [](const TTestNode& node) { return &node.Items(); });
    c.Reference("Link", &TTestNode::Link, &TTestNode::SetLink);
    c.Event("OnClick", &TTestNode::OnClick);
    c.Collection("Points", [](const TTestNode& node) { return &node.Points(); }).StoredWhen([](const TTestNode& node) {
        return node.Points().Count() > 0;
    });
    c.Integer("Cursor", &TTestNode::Cursor, &TTestNode::SetCursor).Default(0).Identifiers(CursorIdentifiers());
    c.Enum("IsReadOnly", &TTestNode::IsReadOnly);
}

TTestNode::TTestNode(TvxComponent* owner)
    : TvxObject(owner)
{
}

std::vector<std::string>& TTestNode::LoadedOrder()
{
    static std::vector<std::string> order;
    return order;
}

void TTestNode::Loaded()
{
    TvxObject::Loaded();
    LoadedOrder().push_back(Caption());
}

void TTestNode::DefineProperties(TvxFiler& filer)
{
    TvxObject::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Blob", [this](std::span<const std::uint8_t> bytes) { m_blob.assign(bytes.begin(), bytes.end()); },
        [this](std::vector<std::uint8_t>& out) { out = m_blob; }, !m_blob.empty());
}

void TTestNode::SetData(const TvxVariant& value)
{
    if (!std::holds_alternative<std::string>(value))
        throw std::invalid_argument("not a text");
    m_caption = std::get<std::string>(value);
}

NIMBRELL_DEFINE_CLASS(TTestContent, TTestNode)
{
}

NIMBRELL_DEFINE_CLASS(TTestControl, TTestNode)
{
}

NIMBRELL_DEFINE_CLASS(TTestForm, TvxObject)
{
    c.Method("ButtonClick", &TTestForm::ButtonClick);
    c.Method("OtherSignature", &TTestForm::OtherSignature);
    c.Field("Button", &TTestForm::Button);
}

void TTestForm::DefineProperties(TvxFiler& filer)
{
    TvxObject::DefineProperties(filer);
    DefineDesignGridProperties(filer);
}

NIMBRELL_DEFINE_CLASS(TTestResources, TvxObject)
{
}

TTestResources::~TTestResources()
{
    SetTree(nullptr);
}

void TTestResources::SetTree(TvxObject* tree)
{
    if (m_tree)
        m_tree->Free();
    m_tree = tree;
}

void TTestResources::DefineProperties(TvxFiler& filer)
{
    TvxObject::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "ResourcesBin", [this](std::span<const std::uint8_t> bytes) { SetTree(CreateObjectFromStream(bytes, nullptr)); },
        [this](std::vector<std::uint8_t>& out) { m_tree->SaveToBinStream(out); }, m_tree != nullptr);
}

NIMBRELL_DEFINE_CLASS(TTestAnimation, TvxObject)
{
}

std::vector<std::string>& TTestAnimation::log()
{
    static std::vector<std::string> entries;
    return entries;
}

NIMBRELL_DEFINE_CLASS(TTestTemplatePart, TvxObject)
{
}

void RegisterTestClasses()
{
    RegisterSceneCoreClasses();
    RegisterClass<TTestNode>();
    RegisterClass<TTestContent>();
    RegisterClass<TTestControl>();
    RegisterClass<TTestForm>();
    RegisterClass<TTestAnimation>();
    RegisterClass<TTestResources>();
    RegisterClass<TTestTemplatePart>();
}

}
