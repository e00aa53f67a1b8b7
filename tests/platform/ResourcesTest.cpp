// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Resources.h"

#include <gtest/gtest.h>
#include <string>

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
