// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/styles/DefaultStyleSheet.h"

#include "platform/Resources.h"
#include "scene/core/ObjectStream.h"
#include "scene/core/TvxObject.h"
#include "scene/visual/TvxVisualObject.h"

namespace nimbrell {

namespace {

struct DefaultSheet {
    // Reachable until the program ends, never freed: controls' clones and the object
    // registry may refer to it during static destruction.
    TvxObject* root { nullptr };
    bool tried { false };
};

DefaultSheet& sheet()
{
    static DefaultSheet instance;
    return instance;
}

void clearDesignHide(TvxObject& object)
{
    if (TvxVisualObject* visual = object.Visual())
        visual->SetDesignHide(false);
    for (TvxObject* child : object.Children())
        clearDesignHide(*child);
}

}

TvxObject* ReadStyleSheet(std::span<const std::uint8_t> stream, TvxComponent* owner)
{
    TvxObject* root = CreateObjectFromStream(stream, owner);
    if (root)
        clearDesignHide(*root);
    return root;
}

TvxObject* DefaultStyleSheet()
{
    return sheet().root;
}

TvxObject* LoadDefaultStyleSheet()
{
    DefaultSheet& state = sheet();
    if (state.root || state.tried)
        return state.root;
    state.tried = true;
    auto bytes = platform::FindResource("defaultvxstyle", "RCDATA");
    if (!bytes)
        return nullptr;
    state.root = ReadStyleSheet(*bytes, nullptr);
    platform::ReleaseResource(*bytes);
    return state.root;
}

}
