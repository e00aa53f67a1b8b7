// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as an object stream: strictly into a window, through
// CreateObjectFromStream, and converted to text; and parses them as the text form. Whatever was read must write back to a stream
// that reads again to the same bytes.

#include "TestClasses.h"

#include "scene/core/ObjectStream.h"
#include "scene/core/ObjectText.h"
#include "scene/render/SceneRenderClasses.h"

#include <cstdlib>

using namespace nimbrell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool registered = (test::RegisterTestClasses(), RegisterSceneRenderClasses(), true);
    (void)registered;
    std::span<const std::uint8_t> stream(data, size);

    {
        test::TTestForm form(nullptr);
        try {
            ReadObjectStream(stream, form);
        } catch (const ObjectStreamError&) {
        }
        std::vector<std::uint8_t> written;
        form.SaveToBinStream(written);
        test::TTestForm again(nullptr);
        ReadObjectStream(written, again);
        std::vector<std::uint8_t> rewritten;
        again.SaveToBinStream(rewritten);
        if (rewritten != written)
            std::abort();
    }

    if (TvxObject* object = CreateObjectFromStream(stream, nullptr))
        object->Free();

    try {
        std::string text = ObjectBinaryToText(stream);
        ObjectTextToBinary(text);
    } catch (const ObjectStreamError&) {
    } catch (const ObjectTextError&) {
    }

    // The same bytes as the text form.
    try {
        ObjectTextToBinary(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ObjectTextError&) {
    }
    return 0;
}
