// SPDX-License-Identifier: GPL-3.0-or-later
#include "json/BalTree.h"

#include <new>

namespace nimbrell {

namespace {

TxBalNode* skew(TxBalNode* node)
{
    if (node->left->level != node->level)
        return node;
    TxBalNode* left = node->left;
    node->left = left->right;
    left->right = node;
    return left;
}

TxBalNode* split(TxBalNode* node)
{
    if (node->right->right->level != node->level)
        return node;
    TxBalNode* right = node->right;
    node->right = right->left;
    right->left = node;
    ++right->level;
    return right;
}

}

TxBalNode TxBalTree::sSentinel { &sSentinel, &sSentinel, 0, -1, {} };

TxBalTree::TxBalTree(std::pmr::memory_resource* memory)
    : fMemory(memory)
{
}

TxBalTree::~TxBalTree()
{
    Clear();
}

void TxBalTree::Insert(std::u16string_view name, std::int32_t position)
{
    froot = insert(froot, name, position);
}

TxBalNode* TxBalTree::insert(TxBalNode* node, std::u16string_view name, std::int32_t position)
{
    if (node == fbottom) {
        auto* fresh = new (fMemory->allocate(sizeof(TxBalNode), alignof(TxBalNode))) TxBalNode;
        fresh->left = fbottom;
        fresh->right = fbottom;
        fresh->level = 1;
        fresh->key = position;
        fresh->nm = name;
        return fresh;
    }
    int order = name.compare(node->nm);
    if (order == 0)
        return node;
    if (order < 0)
        node->left = insert(node->left, name, position);
    else
        node->right = insert(node->right, name, position);
    return split(skew(node));
}

std::int32_t TxBalTree::IndexOf(std::u16string_view name) const
{
    const TxBalNode* node = froot;
    while (node != fbottom) {
        int order = name.compare(node->nm);
        if (order == 0)
            return node->key;
        node = order < 0 ? node->left : node->right;
    }
    return -1;
}

void TxBalTree::Clear()
{
    freeSubtree(froot);
    froot = fbottom;
}

void TxBalTree::freeSubtree(TxBalNode* node)
{
    if (node == fbottom)
        return;
    freeSubtree(node->left);
    freeSubtree(node->right);
    fMemory->deallocate(node, sizeof(TxBalNode), alignof(TxBalNode));
}

}
