// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/Autorun.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

using namespace nimbrell;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

TEST(ProgramPath, AProgramReplacedWhileRunningNamesItsSuccessor)
{
    TempDirectory directory;
    std::string upgraded = directory / "nimbrell";
    WriteFile(upgraded, "#!/bin/sh\n");
    std::filesystem::permissions(upgraded, std::filesystem::perms::owner_all);
    std::string plain = directory / "plain";
    WriteFile(plain, "not runnable");
    std::string named = directory / "odd (deleted)";
    WriteFile(named, "a program whose name really ends so");

    const std::pair<std::string, std::string> cases[] = {
        { upgraded, upgraded },
        { upgraded + " (deleted)", upgraded },
        { named, named },
        { plain + " (deleted)", "" },
        { directory / "gone (deleted)", "" },
        { directory.Path().string() + " (deleted)", "" }, // a folder is no program
    };
    for (const auto& [kernel, expected] : cases)
        EXPECT_EQ(ProgramPathFrom(kernel), expected) << kernel;
}
