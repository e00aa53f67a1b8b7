// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeSceneHost.h"
#include "TestClasses.h"

#include "scene/core/ObjectStream.h"

#include <gtest/gtest.h>

namespace nimbrell::test {
namespace {

// Holds a reference to a scene object the way brushes and bitmaps do.
class ReferenceHolder final : public IFreeNotifyTarget {
public:
    ~ReferenceHolder() { Set(nullptr); }
    void Set(TvxObject* object)
    {
        if (m_object)
            m_object->RemoveFreeNotify(this);
        m_object = object;
        if (m_object)
            m_object->AddFreeNotify(this);
    }
    TvxObject* Get() const { return m_object; }
    void FreeNotification(TvxObject& destroyed) override
    {
        if (&destroyed == m_object)
            m_object = nullptr;
        ++notified;
    }
    int notified { 0 };

private:
    TvxObject* m_object { nullptr };
};

// Records the order in which objects are freed.
class FreeLog final : public IFreeNotifyTarget {
public:
    void Watch(TvxObject* object) { object->AddFreeNotify(this); }
    void FreeNotification(TvxObject& destroyed) override { names.push_back(destroyed.Name()); }
    std::vector<std::string> names;
};

TTestNode* node(TvxComponent* owner, const char* name)
{
    auto* object = new TTestNode(owner);
    object->SetName(name);
    return object;
}

std::vector<std::string> childNames(const TvxObject& parent)
{
    std::vector<std::string> names;
    for (TvxObject* child : parent.Children())
        names.push_back(child->Name());
    return names;
}

class TvxObjectTest : public ::testing::Test {
protected:
    TvxObjectTest()
        : owner(new TTestForm(nullptr)) { }
    ~TvxObjectTest() override { owner->Free(); }

    TTestForm* owner;
};

TEST_F(TvxObjectTest, AddingMovesBetweenParentsAndKeepsTheListOnReadd)
{
    TTestNode* a = node(owner, "A");
    TTestNode* b = node(owner, "B");
    TTestNode* x = node(owner, "X");
    TTestNode* y = node(owner, "Y");
    a->AddObject(x);
    a->AddObject(y);
    a->AddObject(x);
    EXPECT_EQ(childNames(*a), (std::vector<std::string> { "X", "Y" }));
    a->AddObject(nullptr);
    EXPECT_EQ(a->ChildrenCount(), 2);

    b->AddObject(x);
    EXPECT_EQ(childNames(*a), (std::vector<std::string> { "Y" }));
    EXPECT_EQ(childNames(*b), (std::vector<std::string> { "X" }));
    EXPECT_EQ(x->Parent(), b);

    // An ancestor never becomes its own descendant.
    x->AddObject(b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(x->ChildrenCount(), 0);

    // Removing a non-child does nothing.
    a->RemoveObject(x);
    EXPECT_EQ(x->Parent(), b);
    EXPECT_EQ(childNames(*b), (std::vector<std::string> { "X" }));

    x->SetParent(a);
    EXPECT_EQ(childNames(*a), (std::vector<std::string> { "Y", "X" }));
    const PropertyInfo* parent = x->Class().FindProperty("Parent");
    parent->SetReference(*x, b);
    EXPECT_EQ(x->Parent(), b);
    x->SetParent(nullptr);
    EXPECT_EQ(x->Parent(), nullptr);
    EXPECT_EQ(b->ChildrenCount(), 0);
}

TEST_F(TvxObjectTest, IndexesFollowMovesWithinTheParent)
{
    TTestNode* parent = node(owner, "P");
    std::vector<TTestNode*> children;
    for (const char* name : { "A", "B", "C", "D" }) {
        children.push_back(node(owner, name));
        parent->AddObject(children.back());
    }
    TTestNode *a = children[0], *b = children[1], *c = children[2], *d = children[3];
    EXPECT_EQ(c->Index(), 2);

    d->SendToBack();
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "D", "A", "B", "C" }));
    EXPECT_EQ(d->Index(), 0);
    EXPECT_EQ(c->Index(), 3);
    EXPECT_EQ(a->Index(), 1);

    a->BringToFront();
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "D", "B", "C", "A" }));
    EXPECT_EQ(a->Index(), 3);
    EXPECT_EQ(b->Index(), 1);

    c->SetIndex(0);
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "C", "D", "B", "A" }));
    c->Class().FindProperty("Index")->SetInteger(*c, 99);
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "D", "B", "A", "C" }));
    EXPECT_EQ(c->Class().FindProperty("Index")->GetInteger(*c), 3);

    parent->Exchange(d, c);
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "C", "B", "A", "D" }));
    EXPECT_EQ(c->Index(), 0);
    EXPECT_EQ(d->Index(), 3);
    parent->Exchange(d, parent);
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "C", "B", "A", "D" }));

    parent->Sort([](TvxObject* x, TvxObject* y) { return x->Name().compare(y->Name()); });
    EXPECT_EQ(childNames(*parent), (std::vector<std::string> { "A", "B", "C", "D" }));
    EXPECT_EQ(d->Index(), 3);
    EXPECT_EQ(a->Index(), 0);

    parent->RemoveObject(b);
    EXPECT_EQ(b->Index(), -1);
    EXPECT_EQ(c->Index(), 1);
    EXPECT_EQ(d->Index(), 2);
    b->SetIndex(0);
    EXPECT_EQ(b->Parent(), nullptr);
}

TEST_F(TvxObjectTest, ParentFreesChildrenAndEveryoneLeavesTheirLists)
{
    FreeLog log;
    TTestNode* root = node(owner, "Root");
    TTestNode* a = node(owner, "A");
    TTestNode* a1 = node(owner, "A1");
    TTestNode* b = node(owner, "B");
    root->AddObject(a);
    a->AddObject(a1);
    root->AddObject(b);
    for (TvxObject* object : { static_cast<TvxObject*>(root), static_cast<TvxObject*>(a), static_cast<TvxObject*>(a1),
             static_cast<TvxObject*>(b) })
        log.Watch(object);
    int before = owner->ComponentCount();

    a1->Free();
    EXPECT_EQ(a->ChildrenCount(), 0);
    EXPECT_EQ(owner->FindComponent("A1"), nullptr);
    EXPECT_EQ(owner->ComponentCount(), before - 1);

    root->Free();
    // The parent hears first; its children go from the last to the first.
    EXPECT_EQ(log.names, (std::vector<std::string> { "A1", "Root", "B", "A" }));
    EXPECT_EQ(owner->ComponentCount(), before - 4);
}

TEST_F(TvxObjectTest, OwnerFreesWhatItOwnsWhateverTheTree)
{
    FreeLog log;
    auto* other = new TTestForm(nullptr);
    TTestNode* parent = node(other, "Parent");
    TTestNode* owned = node(owner, "Owned");
    TTestNode* grandChild = node(other, "Grand");
    parent->AddObject(owned);
    owned->AddObject(grandChild);
    log.Watch(owned);
    log.Watch(grandChild);

    owner->Free();
    owner = new TTestForm(nullptr);
    EXPECT_EQ(log.names, (std::vector<std::string> { "Owned", "Grand" }));
    EXPECT_EQ(parent->ChildrenCount(), 0);
    EXPECT_EQ(other->FindComponent("Grand"), nullptr);
    EXPECT_EQ(other->ComponentCount(), 1);
    other->Free();
}

TEST_F(TvxObjectTest, FreeNotificationsLeaveNoDanglingReference)
{
    TTestNode* target = node(owner, "Target");
    ReferenceHolder first;
    ReferenceHolder second;
    first.Set(target);
    second.Set(target);
    target->AddFreeNotify(&second);
    target->RemoveFreeNotify(&second);
    target->Free();
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.Get(), nullptr);
    EXPECT_EQ(first.notified, 1);
    EXPECT_EQ(second.notified, 1);

    // A holder that let go is not told.
    TTestNode* other = node(owner, "Other");
    ReferenceHolder released;
    released.Set(other);
    released.Set(nullptr);
    other->Free();
    EXPECT_EQ(released.notified, 0);
}

TEST_F(TvxObjectTest, ComponentsOnTheNotifyListHearThroughNotification)
{
    class Listener : public TvxObject {
    public:
        using TvxObject::TvxObject;
        void Notification(TvxComponent& component, ComponentOperation operation) override
        {
            if (operation == ComponentOperation::Remove)
                removed.push_back(component.Name());
        }
        std::vector<std::string> removed;
    };
    auto* listener = new Listener(owner);
    TTestNode* watched = node(owner, "Watched");
    watched->AddFreeNotify(listener);
    watched->Free();
    EXPECT_EQ(listener->removed, (std::vector<std::string> { "Watched" }));
}

TEST_F(TvxObjectTest, NamesAreUniqueAmongTheOwnersComponents)
{
    TTestNode* a = node(owner, "Button");
    TTestNode* b = new TTestNode(owner);
    try {
        b->SetName("BUTTON");
        FAIL() << "duplicate name accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "A component named BUTTON already exists");
    }
    EXPECT_EQ(b->Name(), "");
    b->SetName("Other");
    a->SetName("button");
    EXPECT_EQ(owner->FindComponent("BUTTON"), a);
    // Anonymous objects never clash, and another owner is another name space.
    new TTestNode(owner);
    new TTestNode(owner);
    TTestForm elsewhere(nullptr);
    TTestNode* same = node(&elsewhere, "Button");
    EXPECT_EQ(same->Name(), "Button");
}

TEST_F(TvxObjectTest, SearchesByBindingAndResourceName)
{
    TTestNode* root = node(owner, "Root");
    TTestNode* panel = node(owner, "Panel");
    TTestControl* control = new TTestControl(owner);
    TTestNode* inner = node(owner, "Inner");
    TTestNode* last = node(owner, "Last");
    root->AddObject(panel);
    panel->AddObject(control);
    control->AddObject(inner);
    root->AddObject(last);
    panel->SetResourceName("panel");
    inner->SetResourceName("text");
    inner->SetBindingName("value");
    last->SetResourceName("Text");
    last->SetBindingName("VALUE");
    control->SetResourceName("button");

    EXPECT_EQ(root->FindResource("PANEL"), panel);
    EXPECT_EQ(root->FindResource("button"), control);
    // Not into the nested styled control; the later sibling is found instead.
    EXPECT_EQ(root->FindResource("text"), last);
    EXPECT_EQ(control->FindResource("text"), inner);
    EXPECT_EQ(root->FindResource(""), nullptr);
    EXPECT_EQ(last->FindResource("text"), nullptr);

    // Binding searches enter nested controls, depth first.
    EXPECT_EQ(root->FindBinding("value"), inner);
    root->SetBindingName("value");
    EXPECT_EQ(root->FindBinding("Value"), root);
    EXPECT_EQ(root->GetBindingValue("VALUE"), TvxVariant(std::string("")));
    EXPECT_EQ(static_cast<TvxObject*>(panel)->TvxObject::GetData(), TvxVariant(std::string("Panel")));
    EXPECT_EQ(panel->GetBindingValue("missing"), TvxVariant(std::string()));
    // Errors of a bound write are swallowed.
    root->SetBindingValue("value", TvxVariant(std::int64_t(5)));
    EXPECT_EQ(root->Caption(), "");
    root->SetBindingValue("value", TvxVariant(std::string("typed")));
    EXPECT_EQ(root->GetBindingValue("value"), TvxVariant(std::string("typed")));
    panel->SetBindingValue("missing", TvxVariant(std::string("x")));

    std::vector<TvxObject*> all;
    root->AddObjectsToList(all);
    EXPECT_EQ(all, (std::vector<TvxObject*> { root, panel, control, inner, last }));
    std::vector<TvxObject*> controls;
    root->AddControlsToList(controls);
    EXPECT_EQ(controls, (std::vector<TvxObject*> { control }));
}

TEST_F(TvxObjectTest, RegisteredResourcesNewestStoredFirst)
{
    TTestNode* older = node(owner, "Older");
    TTestNode* newer = node(owner, "Newer");
    TTestNode* hidden = node(owner, "Hidden");
    older->SetResourceName("buttonstyle");
    newer->SetResourceName("ButtonStyle");
    hidden->SetResourceName("buttonstyle");
    hidden->SetStored(false);
    EXPECT_EQ(TvxObject::FindRegisteredResource("BUTTONSTYLE"), newer);
    newer->Free();
    EXPECT_EQ(TvxObject::FindRegisteredResource("buttonstyle"), older);
    EXPECT_EQ(TvxObject::FindRegisteredResource("nothing"), nullptr);

    // Many short-lived objects do not grow the registry without bound or lose order.
    for (int i = 0; i < 1000; ++i)
        (new TTestNode(nullptr))->Free();
    EXPECT_EQ(TvxObject::FindRegisteredResource("buttonstyle"), older);
    TTestNode* newest = node(owner, "Newest");
    newest->SetResourceName("buttonstyle");
    EXPECT_EQ(TvxObject::FindRegisteredResource("buttonstyle"), newest);
}

TEST_F(TvxObjectTest, StoredPropagatesToEveryDescendant)
{
    TTestNode* root = node(owner, "Root");
    TTestNode* child = node(owner, "Child");
    TTestNode* grand = node(owner, "Grand");
    root->AddObject(child);
    child->AddObject(grand);
    root->SetStored(false);
    EXPECT_FALSE(child->Stored());
    EXPECT_FALSE(grand->Stored());
    // A subtree already holding the value stops the walk.
    grand->SetStored(true);
    root->SetStored(true);
    child->SetStored(true);
    EXPECT_TRUE(grand->Stored());
    root->SetStored(false);
    grand->SetStored(true);
    child->SetStored(false);
    EXPECT_TRUE(grand->Stored());
}

TEST_F(TvxObjectTest, SceneIsSharedByTheTreeAndToldOfDestruction)
{
    FakeSceneHost scene;
    TTestNode* root = node(owner, "Root");
    TTestNode* child = node(owner, "Child");
    scene.AddObject(root);
    root->AddObject(child);
    EXPECT_EQ(child->Scene(), &scene);

    TTestNode* grand = node(owner, "Grand");
    TTestNode* detached = node(owner, "Detached");
    detached->AddObject(grand);
    child->AddObject(detached);
    EXPECT_EQ(grand->Scene(), &scene);
    root->RemoveObject(child);
    EXPECT_EQ(grand->Scene(), nullptr);
    root->AddObject(child);

    // Only the top of a freed subtree is announced; its tree is still whole then.
    child->Free();
    EXPECT_EQ(scene.log, (std::vector<std::string> { "notify Child" }));
    scene.log.clear();
    root->Free();
    EXPECT_EQ(scene.log, (std::vector<std::string> { "notify Root", "remove Root" }));
    EXPECT_TRUE(scene.roots.empty());

    TTestNode* other = node(owner, "Other");
    TTestNode* newParent = node(owner, "NewParent");
    scene.AddObject(other);
    other->SetParent(newParent);
    EXPECT_TRUE(scene.roots.empty());
    EXPECT_EQ(other->Scene(), nullptr);
}

TEST_F(TvxObjectTest, AnimationsAreMatchedByNameAndTriggerWalksEnterTemplateParts)
{
    TTestNode* host = node(owner, "Host");
    auto animation = [&](TvxObject* parent, const char* name, const char* trigger) {
        auto* result = new TTestAnimation(owner);
        result->SetName(name);
        result->trigger = trigger;
        parent->AddObject(result);
        return result;
    };
    animation(host, "FadeIn", "");
    animation(host, "Other", "IsMouseOver=true");
    animation(host, "fadein2", "");
    auto* part = new TTestTemplatePart(owner);
    host->AddObject(part);
    animation(part, "Inner", "IsMouseOver=true");
    TTestNode* plain = node(owner, "Plain");
    host->AddObject(plain);
    animation(plain, "Hidden", "IsMouseOver=true");
    TTestAnimation::log().clear();

    host->StartAnimation("FADEIN");
    host->StopAnimation("other");
    EXPECT_EQ(TTestAnimation::log(), (std::vector<std::string> { "start FadeIn", "stop Other" }));

    TTestAnimation::log().clear();
    host->StartTriggerAnimation(host, "IsMouseOver");
    EXPECT_EQ(TTestAnimation::log(), (std::vector<std::string> { "stop Other", "stop Inner", "trigger FadeIn IsMouseOver", "trigger Other IsMouseOver", "trigger fadein2 IsMouseOver", "stop Inner", "trigger Inner IsMouseOver" }));
}

TEST_F(TvxObjectTest, CloneCopiesTheStoredTreeWithEmptyNames)
{
    TTestNode* source = node(owner, "Source");
    source->SetCaption("caption");
    source->SetSize(12.5f);
    source->Position().SetPoint({ 11, 7 });
    TTestNode* child = node(owner, "Child");
    child->SetKind(TestKind::tkSecond);
    source->AddObject(child);
    TTestNode* skipped = node(owner, "Skipped");
    skipped->SetStored(false);
    source->AddObject(skipped);

    TTestForm cloneOwner(nullptr);
    auto* copy = static_cast<TTestNode*>(source->Clone(&cloneOwner));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(&copy->Class(), &TTestNode::StaticClass());
    EXPECT_EQ(copy->Owner(), &cloneOwner);
    EXPECT_EQ(copy->Parent(), nullptr);
    EXPECT_EQ(copy->Name(), "");
    EXPECT_EQ(source->Name(), "Source");
    EXPECT_EQ(copy->Caption(), "caption");
    EXPECT_EQ(copy->Size(), 12.5f);
    EXPECT_EQ(copy->Position().Point(), (TvxPoint { 11, 7 }));
    ASSERT_EQ(copy->ChildrenCount(), 1);
    auto* childCopy = static_cast<TTestNode*>(copy->Child(0));
    EXPECT_EQ(childCopy->Name(), "");
    EXPECT_EQ(childCopy->Kind(), TestKind::tkSecond);
    EXPECT_FALSE(copy->HasState(ComponentState::Loading));
    EXPECT_FALSE(copy->HasState(ComponentState::Designing));

    // Two clones of the same named tree live side by side under one owner.
    ASSERT_NE(source->Clone(&cloneOwner), nullptr);
}

TEST_F(TvxObjectTest, CloneSkipsWhatItCannotPlace)
{
    // The handler's method belongs to the window, not to the clone: that entry is skipped
    // and the entries after it are still read.
    TTestNode* source = node(owner, "Source");
    source->Class().FindProperty("OnClick")->BindMethod(*source, owner, "ButtonClick");
    source->SetCursor(-21);
    auto* copy = static_cast<TTestNode*>(source->Clone(nullptr));
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(static_cast<bool>(copy->OnClick));
    EXPECT_EQ(copy->Cursor(), -21);
    copy->Free();
}

}
}
