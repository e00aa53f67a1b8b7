// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/CityDatabase.h"
#include "data/ResourceFile.h"
#include "platform/Resources.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

using namespace nimbrell;
using nimbrell::testing::ReadFile;
using nimbrell::testing::TempDirectory;
using nimbrell::testing::WriteFile;

namespace {

std::string errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

std::size_t entriesIn(const TempDirectory& directory)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(directory.Path()), {}));
}

}

TEST(InflateStream, InflatesWholeStreamsOfAnySize)
{
    for (std::size_t size : { 0u, 1u, 4095u, 4096u, 4097u, 8192u, 100000u }) {
        std::vector<unsigned char> original(size);
        for (std::size_t i = 0; i < size; ++i)
            original[i] = static_cast<unsigned char>(i * 31 % 253);
        uLongf packedSize = compressBound(size);
        std::vector<unsigned char> packed(packedSize);
        ASSERT_EQ(compress(packed.data(), &packedSize, original.data(), size), Z_OK);
        packed.resize(packedSize);

        std::vector<unsigned char> inflated;
        InflateStream(packed, inflated);
        EXPECT_EQ(inflated, original) << size << " bytes";
    }
}

TEST(InflateStream, CorruptOrTruncatedStreamFailsAndLeavesTargetAlone)
{
    for (const char* name : { "Corrupt", "Truncated" }) {
        auto resource = platform::FindResource(name, "exefile");
        ASSERT_TRUE(resource);
        std::vector<unsigned char> target { 1, 2, 3 };
        EXPECT_THROW(InflateStream(*resource, target), std::runtime_error) << name;
        EXPECT_EQ(target, (std::vector<unsigned char> { 1, 2, 3 })) << name;
    }
    std::vector<unsigned char> target;
    EXPECT_THROW(InflateStream({}, target), std::runtime_error) << "an empty resource is not a stream";
}

TEST(ExtractResourceFile, WritesTheInflatedResource)
{
    TempDirectory directory;
    ExtractResourceFile("exact", "EXEFILE", directory / "exact.bin");
    std::string written = ReadFile(directory / "exact.bin");
    ASSERT_EQ(written.size(), 8192u);
    for (std::size_t i = 0; i < written.size(); ++i)
        ASSERT_EQ(static_cast<unsigned char>(written[i]), i % 256) << i;
}

TEST(ExtractResourceFile, ReplacesAStaleFile)
{
    TempDirectory directory;
    WriteFile(directory / "Nimbrell.db", "stale, and not a database");
    ExtractResourceFile("Nimbrell", "exefile", directory / "Nimbrell.db");
    EXPECT_TRUE(ReadFile(directory / "Nimbrell.db").starts_with(std::string("SQLite format 3\0", 16)));
}

TEST(ExtractResourceFile, FailuresWriteNothing)
{
    TempDirectory directory;
    EXPECT_EQ(errorOf([&] { ExtractResourceFile("Missing", "exefile", directory / "a.db"); }), "Resource Missing not found");
    EXPECT_NE(errorOf([&] { ExtractResourceFile("Corrupt", "exefile", directory / "b.db"); }), "");
    EXPECT_NE(errorOf([&] { ExtractResourceFile("Truncated", "exefile", directory / "c.db"); }), "");
    EXPECT_EQ(entriesIn(directory), 0u) << "neither the target nor a scratch file may be left";
}

TEST(ExtractResourceFile, UnwritableDirectoryFailsClearly)
{
    TempDirectory directory;
    WriteFile(directory / "file", "x");
    std::string error = errorOf([&] { ExtractResourceFile("Nimbrell", "exefile", directory / "file/Nimbrell.db"); });
    EXPECT_EQ(error, "Cannot create file " + (directory / "file/Nimbrell.db"));
}

TEST(ExtractResourceFile, TargetThatCannotBeRemovedIsUsedAsItIs)
{
    TempDirectory directory;
    std::filesystem::create_directory(directory / "Nimbrell.db");
    EXPECT_NO_THROW(ExtractResourceFile("Nimbrell", "exefile", directory / "Nimbrell.db"));
    EXPECT_TRUE(std::filesystem::is_directory(directory / "Nimbrell.db"));
}

TEST(ExtractResourceFile, AnotherCopyHoldingTheDatabaseKeepsWorkingAndSoDoesTheNewOne)
{
    TempDirectory directory;
    std::string path = directory / "Nimbrell.db";
    ExtractResourceFile("Nimbrell", "exefile", path);
    CityDatabase first(path);
    auto before = first.QueryPairs("select name,code from T_weather where flag=\"1\"");
    ASSERT_EQ(before.size(), 34u);

    ExtractResourceFile("Nimbrell", "exefile", path);
    CityDatabase second(path);
    EXPECT_EQ(second.QueryPairs("select name,code from T_weather where flag=\"1\""), before);
    EXPECT_EQ(first.QueryPairs("select name,code from T_weather where flag=\"1\""), before);
}
