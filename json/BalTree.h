// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The name index of a JSON object: an AA tree from member name to member position.

#include <cstdint>
#include <memory_resource>
#include <string_view>

namespace nimbrell {

struct TxBalNode {
    TxBalNode* left { nullptr };
    TxBalNode* right { nullptr };
    std::uint8_t level { 0 };
    std::int32_t key { -1 };
    // Refers to the member record's own name; the object rebuilds its index whenever
    // its members change, so the text outlives the node.
    std::u16string_view nm;
};

class TxBalTree {
public:
    // Nodes are taken from `memory` (the document's arena for parsed objects).
    explicit TxBalTree(std::pmr::memory_resource* memory = std::pmr::new_delete_resource());
    ~TxBalTree();
    TxBalTree(const TxBalTree&) = delete;
    TxBalTree& operator=(const TxBalTree&) = delete;

    // Names compare by UTF-16 code unit. An equal name already present keeps its entry,
    // so the first member of a name wins.
    void Insert(std::u16string_view name, std::int32_t position);
    // The position stored for `name`, or -1.
    std::int32_t IndexOf(std::u16string_view name) const;
    void Clear();

    bool IsEmpty() const { return froot == fbottom; }
    // For walking the tree: the root, and the sentinel that stands for every missing child.
    const TxBalNode* Root() const { return froot; }
    const TxBalNode* Sentinel() const { return fbottom; }

private:
    TxBalNode* insert(TxBalNode* node, std::u16string_view name, std::int32_t position);
    void freeSubtree(TxBalNode* node);

    // Level 0, both children itself. Insertion never writes to it, so every tree shares one.
    static TxBalNode sSentinel;

    // Names are never removed one by one, so the tree has no deletion cursors.
    std::pmr::memory_resource* fMemory;
    TxBalNode* fbottom { &sSentinel };
    TxBalNode* froot { &sSentinel };
};

}
