// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace nimbrell::platform;

TEST(Resources, FoundByNameAndTypeIgnoringCase)
{
    for (auto [name, type] : { std::pair { "Greeting", "TEXTFILE" }, { "greeting", "textfile" }, { "GREETING", "TextFile" } }) {
        auto data = FindResource(name, type);
        ASSERT_TRUE(data) << name << "/" << type;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data->data()), data->size()), "hello, resources\n");
    }
}

TEST(Resources, MissingNameOrTypeFindsNothing)
{
    EXPECT_FALSE(FindResource("Greeting", "exefile"));
    EXPECT_FALSE(FindResource("Greet", "TEXTFILE"));
    EXPECT_FALSE(FindResource("", ""));
}

TEST(Resources, InResourceOnlyForBytesWhollyInsideOne)
{
    auto greeting = FindResource("Greeting", "TEXTFILE");
    ASSERT_TRUE(greeting);
    const std::string copy(reinterpret_cast<const char*>(greeting->data()), greeting->size());
    const struct {
        std::span<const unsigned char> bytes;
        bool inside;
    } cases[] = {
        { *greeting, true },
        { greeting->subspan(3, 4), true },
        { greeting->subspan(greeting->size()), true },
        { std::span(greeting->data() + 1, greeting->size()), false },
        { std::span(reinterpret_cast<const unsigned char*>(copy.data()), copy.size()), false },
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(InResource(cases[i].bytes), cases[i].inside) << "case " << i;
}

namespace {

// Whether the page holding `address` is in the process's resident set.
bool resident(const void* address)
{
    static const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    int pagemap = open("/proc/self/pagemap", O_RDONLY);
    std::uint64_t entry = 0;
    bool read = pread(pagemap, &entry, sizeof entry, static_cast<off_t>(reinterpret_cast<std::uintptr_t>(address) / page * sizeof entry)) == sizeof entry;
    close(pagemap);
    return read && entry >> 63;
}

}

TEST(Resources, ReleasedPagesLeaveTheResidentSetAndReadTheSameAgain)
{
    auto picture = FindResource("Picture", "png");
    ASSERT_TRUE(picture);
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    ASSERT_GE(picture->size(), 4 * page);
    std::vector<unsigned char> first(picture->begin(), picture->end());
    const unsigned char* middle = picture->data() + picture->size() / 2;
    ASSERT_TRUE(resident(middle)) << "read, so mapped";

    ReleaseResource(*picture);
    EXPECT_FALSE(resident(middle));
    EXPECT_FALSE(resident(picture->data() + page + page / 2)) << "the whole second page holds only the resource";
    EXPECT_TRUE(std::equal(first.begin(), first.end(), picture->begin(), picture->end())) << "read again from the program file";
    EXPECT_TRUE(resident(middle));
}
