// SPDX-License-Identifier: GPL-3.0-or-later
// The resource tool as the build runs it. That the generated source links and
// registers real data is shown by every test that reads an embedded resource;
// here: names that need escaping and the refusals.
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

int embed(const std::vector<std::string>& arguments)
{
    std::string command = NIMBRELL_EMBED;
    for (const auto& argument : arguments)
        command += " '" + argument + "'";
    int raw = std::system((command + " 2> /dev/null").c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}

TEST(Embed, WritesOneEntryPerFileWithEscapedNames)
{
    TempDirectory directory;
    WriteFile(directory / "a.txt", "alpha");
    WriteFile(directory / "b.bin", "beta");
    std::string out = directory / "resources.cpp";
    ASSERT_EQ(embed({ out, "Greeting|TEXTFILE|" + directory / "a.txt", "Say \"hi\"\\|exefile|" + directory / "b.bin" }), 0);
    std::string source = ReadFile(out);
    EXPECT_NE(source.find("{ \"Greeting\", \"TEXTFILE\", nimbrell_resource_resources_0,"), std::string::npos) << source;
    EXPECT_NE(source.find("{ \"Say \\\"hi\\\"\\\\\", \"exefile\", nimbrell_resource_resources_1,"), std::string::npos) << source;
    EXPECT_NE(source.find(".incbin \\\"" + directory / "a.txt" + "\\\""), std::string::npos) << "files by absolute path";
}

TEST(Embed, RefusesBadEntriesAndMissingFiles)
{
    TempDirectory directory;
    std::string out = directory / "resources.cpp";
    EXPECT_EQ(embed({ out, "NoTypeOrFile" }), 2);
    EXPECT_EQ(embed({ out, "Name|TYPE|" + directory / "missing" }), 1);
    EXPECT_EQ(embed({}), 2);
    EXPECT_FALSE(std::filesystem::exists(out)) << "nothing is written for a refused list";
}
