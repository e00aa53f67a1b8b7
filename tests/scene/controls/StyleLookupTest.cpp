// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, cloning, applying and replacing a control's style.

#include "tests/scene/controls/ControlScene.h"

#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"
#include "scene/styles/DefaultStyleSheet.h"
#include "scene/styles/TvxResources.h"

#include <functional>

using namespace nimbrell;
using nimbrell::testing::ControlScene;

namespace nimbrell {

// Classes without styles of their own: a child and a grandchild of the check box, and a
// child of the label.
class TvxFancyCheckBox : public TvxCheckBox {
    NIMBRELL_CLASS(TvxFancyCheckBox)
public:
    using TvxCheckBox::TvxCheckBox;
};
NIMBRELL_DEFINE_CLASS(TvxFancyCheckBox, TvxCheckBox) { }

class TvxFancierCheckBox : public TvxFancyCheckBox {
    NIMBRELL_CLASS(TvxFancierCheckBox)
public:
    using TvxFancyCheckBox::TvxFancyCheckBox;
};
NIMBRELL_DEFINE_CLASS(TvxFancierCheckBox, TvxFancyCheckBox) { }

class TvxFancyLabel : public TvxLabel {
    NIMBRELL_CLASS(TvxFancyLabel)
public:
    using TvxLabel::TvxLabel;
};
NIMBRELL_DEFINE_CLASS(TvxFancyLabel, TvxLabel) { }

// Records the order of the style hooks.
class TvxRecordingButton : public TvxButton {
    NIMBRELL_CLASS(TvxRecordingButton)
public:
    using TvxButton::TvxButton;
    std::vector<std::string> events;

protected:
    void ResourceReleasing() override
    {
        events.push_back(std::string("releasing, old clone ") + (StyleClone() && StyleClone()->Parent() == this ? "in place" : "gone"));
        TvxButton::ResourceReleasing();
    }
    void ResourceApplied() override
    {
        events.push_back(std::string("applied, clone ") + (Child(0) == StyleClone() ? "first" : "elsewhere"));
        TvxButton::ResourceApplied();
    }
};
NIMBRELL_DEFINE_CLASS(TvxRecordingButton, TvxButton) { }

}

namespace {

const char* kSceneSheet = R"(object TvxBackground
  Width = 50.0
  Height = 50.0
  object TvxRectangle
    ResourceName = 'buttonstyle'
    Fill.Color = '#FFFF0000'
  end
  object TvxLayout
    ResourceName = 'group'
    object TvxRectangle
      ResourceName = 'speedbuttonstyle'
    end
  end
  object TvxLayout
    ResourceName = 'labelstyle'
  end
  object TvxLayout
    ResourceName = 'loopstyle'
    object TvxButton
      ResourceName = 'inner'
      Resource = 'loopstyle'
    end
  end
  object TvxLayout
    ResourceName = 'pingstyle'
    object TvxButton
      ResourceName = 'ping'
      Resource = 'pongstyle'
    end
  end
  object TvxLayout
    ResourceName = 'pongstyle'
    object TvxButton
      ResourceName = 'pong'
      Resource = 'pingstyle'
    end
  end
  object TvxLayout
    ResourceName = 'badtextstyle'
    object TvxRectangle
      ResourceName = 'text'
    end
    object TvxText
      ResourceName = 'htrack'
    end
    object TvxBrushObject
      ResourceName = 'hindicator'
    end
    object TvxLayout
      ResourceName = 'checkmark'
    end
  end
end
)";

void setText(TvxResources& container, const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    container.Resource().SetLines(lines);
}

class StyleLookupTest : public ControlScene {
protected:
    ComponentPtr<TvxResources> container { new TvxResources(nullptr) };

    void useSceneSheet()
    {
        setText(*container, kSceneSheet);
        ASSERT_NE(container->Root(), nullptr);
        scene->SetStyle(container.get());
    }
    TvxObject* defaultStyle(std::string_view name) { return LoadDefaultStyleSheet()->FindResource(name); }
    TvxObject* sceneStyle(std::string_view name) { return container->Root()->FindResource(name); }
};

enum class Sheet {
    Default,
    Scene,
    None
};

struct LookupCase {
    const char* description;
    std::function<TvxControl*(TvxComponent*)> create;
    const char* resource;
    bool sceneSheet;
    Sheet expectedSheet;
    const char* expectedName;
    bool nameCleared;
};

TvxControl* button(TvxComponent* owner) { return new TvxButton(owner); }

TEST_F(StyleLookupTest, FindsTheStyleByTheLookupOrder)
{
    const LookupCase cases[] = {
        { "empty Resource: the class's own name", button, "", false, Sheet::Default, "buttonstyle", false },
        { "comboboxstyle on any class", [](TvxComponent* o) { return new TvxLabel(o); }, "comboboxstyle", false, Sheet::Default,
            "comboboxstyle", true },
        { "a string combo box finds its parent class's style", [](TvxComponent* o) { return new TvxStringComboBox(o); }, "", false,
            Sheet::Default, "comboboxstyle", false },
        { "no own style: the parent class's", [](TvxComponent* o) { return new TvxFancyCheckBox(o); }, "", false, Sheet::Default,
            "checkboxstyle", false },
        { "never the grandparent's", [](TvxComponent* o) { return new TvxFancierCheckBox(o); }, "", false, Sheet::None, "", false },
        { "unknown Resource falls back to the class", button, "nosuchstyle", false, Sheet::Default, "buttonstyle", false },
        { "unknown Resource and unknown classes", [](TvxComponent* o) { return new TvxFancierCheckBox(o); }, "nosuchstyle", false,
            Sheet::None, "", false },
        { "Resource equal to the own ResourceName", button, "mine", false, Sheet::None, "", false },
        { "scene sheet wins for its styles", button, "", true, Sheet::Scene, "buttonstyle", false },
        { "default sheet serves the rest", [](TvxComponent* o) { return new TvxCheckBox(o); }, "", true, Sheet::Default, "checkboxstyle",
            false },
        { "a style at any depth of the scene sheet", button, "speedbuttonstyle", true, Sheet::Scene, "speedbuttonstyle", true },
        { "parent class only in the default sheet", [](TvxComponent* o) { return new TvxFancyLabel(o); }, "", true, Sheet::Default,
            "labelstyle", false },
        { "Resource of 10,000 characters", button, nullptr, false, Sheet::Default, "buttonstyle", false },
    };
    for (const LookupCase& row : cases) {
        SCOPED_TRACE(row.description);
        scene->SetStyle(row.sceneSheet ? container.get() : nullptr);
        if (row.sceneSheet && !container->Root())
            useSceneSheet();
        TvxControl* control = row.create(nullptr);
        root->AddObject(control);
        control->SetResourceName("mine");
        control->SetResource(row.resource ? row.resource : std::string(10000, 'x'));
        TvxControl::StyleSource found = control->FindStyle();
        TvxObject* expected = row.expectedSheet == Sheet::Default ? defaultStyle(row.expectedName)
            : row.expectedSheet == Sheet::Scene                   ? sceneStyle(row.expectedName)
                                                                  : nullptr;
        EXPECT_EQ(found.object, expected);
        if (expected) {
            EXPECT_EQ(found.clearName, row.nameCleared);
            ASSERT_NE(control->StyleClone(), nullptr);
            EXPECT_EQ(control->StyleClone()->ResourceName(), row.nameCleared ? "" : expected->ResourceName());
        } else {
            EXPECT_EQ(control->StyleClone(), nullptr);
        }
        control->Free();
    }
}

TEST_F(StyleLookupTest, TheObjectRegistryIsTheLastSource)
{
    auto* privateStyle = new TvxRectangle(nullptr);
    privateStyle->SetResourceName("privatestyle");
    auto* control = add<TvxButton>(10, 10, 80, 22);
    control->SetResource("privatestyle");
    EXPECT_EQ(control->FindStyle().object, privateStyle);
    EXPECT_TRUE(control->FindStyle().clearName);
    // An object that is not stored is not offered.
    privateStyle->SetStored(false);
    EXPECT_EQ(control->FindStyle().object, defaultStyle("buttonstyle"));
    privateStyle->Free();
}

TEST_F(StyleLookupTest, StylesAreAppliedLazilyAsTheFirstChild)
{
    auto* control = add<TvxButton>(10, 10, 80, 22);
    control->SetText("Save");
    auto* hidden = add<TvxButton>(10, 40, 80, 22);
    hidden->SetVisible(false);
    EXPECT_EQ(control->FindResource("text"), nullptr);
    frame();
    ASSERT_NE(control->StyleClone(), nullptr);
    EXPECT_EQ(control->Child(0), control->StyleClone());
    EXPECT_EQ(control->StyleClone()->Align(), TvxAlign::vaContents);
    EXPECT_FALSE(control->StyleClone()->Stored());
    EXPECT_TRUE(control->StyleClone()->Locked());
    auto* text = dynamic_cast<TvxText*>(control->FindResource("text"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text(), "Save");
    EXPECT_TRUE(text->Locked());
    EXPECT_FALSE(text->Stored());
    // A hidden control is never painted, so it never clones its style.
    EXPECT_EQ(hidden->StyleClone(), nullptr);
    EXPECT_EQ(hidden->FindResource("text"), nullptr);
    // Focus applies it too.
    hidden->SetVisible(true);
    hidden->SetFocus();
    EXPECT_NE(hidden->StyleClone(), nullptr);
}

TEST_F(StyleLookupTest, ReapplyingReleasesTheOldCloneBeforeTheNewOneIsApplied)
{
    auto* control = add<TvxRecordingButton>(10, 10, 80, 22);
    int applied = 0;
    control->OnApplyResource.Set([&](TvxObject*) { ++applied; });
    frame();
    TvxVisualObject* first = control->StyleClone();
    control->SetResource("speedbuttonstyle");
    EXPECT_NE(control->StyleClone(), first);
    EXPECT_EQ(control->Child(0), control->StyleClone());
    EXPECT_EQ(control->ChildrenCount(), 1);
    EXPECT_EQ(control->events, (std::vector<std::string> { "applied, clone first", "releasing, old clone in place", "applied, clone first" }));
    EXPECT_EQ(applied, 2);
}

TEST_F(StyleLookupTest, FindResourceDoesNotEnterNestedControls)
{
    auto* item = add<TvxButton>(10, 10, 107, 24);
    item->SetResource("listboxitemstyle");
    frame();
    auto* check = dynamic_cast<TvxCheckBox*>(item->FindResource("check"));
    ASSERT_NE(check, nullptr);
    ASSERT_NE(check->StyleClone(), nullptr);
    EXPECT_NE(check->FindResource("checkmark"), nullptr);
    EXPECT_EQ(item->FindResource("checkmark"), nullptr);
    EXPECT_EQ(item->FindResource("text"), item->StyleClone()->FindResource("text"));
}

TEST_F(StyleLookupTest, SceneStyleChangesRestyleTheScene)
{
    auto* control = add<TvxButton>(10, 10, 80, 22);
    frame();
    EXPECT_EQ(control->StyleClone()->Class().Name(), "TvxLayout");
    useSceneSheet();
    EXPECT_EQ(control->StyleClone()->Class().Name(), "TvxRectangle");
    // Reloading the container restyles the scenes that use it.
    setText(*container, "object TvxBackground\n  object TvxEllipse\n    ResourceName = 'buttonstyle'\n  end\nend\n");
    EXPECT_EQ(control->StyleClone()->Class().Name(), "TvxEllipse");
    // A freed container leaves the scene without one; the default sheet serves again.
    container.reset();
    EXPECT_EQ(scene->Style(), nullptr);
    scene->UpdateResource();
    EXPECT_EQ(control->StyleClone()->Class().Name(), "TvxLayout");
}

TEST_F(StyleLookupTest, BadSheetsLeaveControlsWithoutAStyleOrWithTheirOldOne)
{
    useSceneSheet();
    // A style that contains a control taking the same style again.
    auto* looping = add<TvxButton>(10, 10, 80, 22);
    looping->SetResource("loopstyle");
    frame();
    ASSERT_NE(looping->StyleClone(), nullptr);
    auto* inner = dynamic_cast<TvxButton*>(looping->FindResource("inner"));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->StyleClone(), nullptr);
    // Two styles that hold controls taking each other: one round, then no style.
    auto* ping = add<TvxButton>(100, 10, 80, 22);
    ping->SetResource("pingstyle");
    frame();
    frame();
    auto* pong = dynamic_cast<TvxButton*>(ping->FindResource("ping"));
    ASSERT_NE(pong, nullptr);
    ASSERT_NE(pong->StyleClone(), nullptr);
    auto* pingAgain = dynamic_cast<TvxButton*>(pong->FindResource("pong"));
    ASSERT_NE(pingAgain, nullptr);
    EXPECT_EQ(pingAgain->StyleClone(), nullptr);

    // A 'text' part of the wrong class is not bound.
    auto* badText = add<TvxButton>(10, 40, 80, 22);
    badText->SetResource("badtextstyle");
    frame();
    badText->SetText("ignored");
    EXPECT_EQ(dynamic_cast<TvxText*>(badText->FindResource("text")), nullptr);
    // Nor are the other controls' parts: they keep the style and draw what it has.
    auto* label = add<TvxLabel>(10, 70, 80, 20);
    auto* check = add<TvxCheckBox>(10, 100, 80, 20);
    auto* bar = add<TvxProgressBar>(10, 130, 80, 20);
    for (TvxControl* control : std::initializer_list<TvxControl*> { label, check, bar })
        control->SetResource("badtextstyle");
    label->SetAutoSize(true);
    label->SetText("a longer caption than the label is wide");
    check->SetIsChecked(true);
    bar->SetValue(50);
    frame();
    advance(200);
    for (TvxControl* control : std::initializer_list<TvxControl*> { label, check, bar })
        EXPECT_NE(control->StyleClone(), nullptr) << control->Class().Name();
    EXPECT_EQ(label->Width(), 80);

    // A cut stream gives no root; controls keep the style they have until restyled.
    TvxVisualObject* before = badText->StyleClone();
    std::vector<std::uint8_t> stream = container->SaveBinary();
    // Cut anywhere: in the signature, a class name, a property value, between objects
    // (read by a container no scene uses, so that nothing restyles each time).
    ComponentPtr<TvxResources> reader(new TvxResources(nullptr));
    for (std::size_t length = stream.size() - 1; length > 0; --length) {
        reader->LoadBinary(std::span(stream).first(length));
        ASSERT_EQ(reader->Root(), nullptr) << "cut at " << length << " of " << stream.size();
    }
    stream.resize(stream.size() / 2);
    container->LoadBinary(stream);
    EXPECT_EQ(container->Root(), nullptr);
    // Restyled without the scene sheet: the class names reach the default sheet.
    EXPECT_NE(badText->StyleClone(), before);
    EXPECT_EQ(badText->FindStyle().object, defaultStyle("buttonstyle"));

    // A text form that does not parse gives no root either.
    setText(*container, "object TvxBackground\n  Width = \n");
    EXPECT_EQ(container->Root(), nullptr);
}

}
