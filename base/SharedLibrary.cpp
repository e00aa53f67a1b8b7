// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SharedLibrary.h"

#include <dlfcn.h>

namespace nimbrell {

std::optional<SharedLibrary> SharedLibrary::Open(const std::string& soname)
{
    void* handle = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    return SharedLibrary(handle);
}

void* SharedLibrary::find(const char* name) const
{
    return dlsym(m_handle, name);
}

void SharedLibrary::Close()
{
    dlclose(m_handle);
}

}
