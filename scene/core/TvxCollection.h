// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An owned, ordered list of persistent items of one class, stored as vaCollection.

#include "scene/core/TvxPersistent.h"

#include <functional>
#include <memory>
#include <vector>

namespace nimbrell {

class TvxCollection;

class TvxCollectionItem : public TvxPersistent {
    NIMBRELL_CLASS(TvxCollectionItem)
public:
    TvxCollection* Collection() const { return m_collection; }
    int Index() const;

protected:
    // An item's change is the collection's change.
    void Changed() override;

private:
    friend class TvxCollection;
    TvxCollection* m_collection { nullptr };
};

class TvxCollection {
public:
    using ItemFactory = std::function<std::unique_ptr<TvxCollectionItem>()>;

    explicit TvxCollection(ItemFactory factory)
        : m_factory(std::move(factory)) { }
    virtual ~TvxCollection() = default;

    int Count() const { return static_cast<int>(m_items.size()); }
    TvxCollectionItem& Item(int index) const { return *m_items[static_cast<std::size_t>(index)]; }
    TvxCollectionItem& Add();
    void Delete(int index);
    void Clear();

    // Changes inside the updates are reported once, at the outermost EndUpdate.
    void BeginUpdate() { ++m_updating; }
    void EndUpdate();

    // Told after every change (an item added, removed, or one of its values changed).
    std::function<void()> OnChanged;
    void Changed();

protected:
    std::vector<std::unique_ptr<TvxCollectionItem>> m_items;

private:
    ItemFactory m_factory;
    int m_updating { 0 };
    bool m_pending { false };
};

// A collection of items of class T.
template<typename T>
class TvxCollectionOf : public TvxCollection {
public:
    TvxCollectionOf()
        : TvxCollection([] { return std::make_unique<T>(); }) { }
    T& operator[](int index) const { return static_cast<T&>(TvxCollection::Item(index)); }
    T& AddItem() { return static_cast<T&>(Add()); }
};

}
