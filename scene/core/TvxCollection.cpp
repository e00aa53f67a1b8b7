// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/core/TvxCollection.h"

namespace nimbrell {

NIMBRELL_DEFINE_CLASS(TvxCollectionItem, TvxPersistent)
{
}

int TvxCollectionItem::Index() const
{
    if (!m_collection)
        return -1;
    for (int i = 0; i < m_collection->Count(); ++i) {
        if (&m_collection->Item(i) == this)
            return i;
    }
    return -1;
}

void TvxCollectionItem::Changed()
{
    if (m_collection)
        m_collection->Changed();
}

TvxCollectionItem& TvxCollection::Add()
{
    auto item = m_factory();
    item->m_collection = this;
    m_items.push_back(std::move(item));
    Changed();
    return *m_items.back();
}

void TvxCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    Changed();
}

void TvxCollection::Clear()
{
    if (m_items.empty())
        return;
    m_items.clear();
    Changed();
}

void TvxCollection::EndUpdate()
{
    if (m_updating > 0)
        --m_updating;
    if (m_updating == 0 && m_pending) {
        m_pending = false;
        Changed();
    }
}

void TvxCollection::Changed()
{
    if (m_updating > 0) {
        m_pending = true;
        return;
    }
    if (OnChanged)
        OnChanged();
}

}
