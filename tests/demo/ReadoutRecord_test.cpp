#include "demo/ReadoutRecord.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace
{
std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
} // namespace

// A second lecture recorded under the same name must not destroy the first.
TEST(ReadoutRecord, AppendsToAnExistingFileAndWritesTheHeaderOnce)
{
    const auto path = std::filesystem::temp_directory_path() / "velorin-record-append.csv";
    std::filesystem::remove(path);
    std::stringstream quiet;
    {
        ReadoutRecord first = openReadoutRecord(path.string(), quiet);
        ASSERT_TRUE(first.recording());
    }
    const std::string header = readAll(path);
    ASSERT_EQ(header.rfind("time_s,law,", 0), 0u) << header;
    std::ofstream(path, std::ios::app) << "1.000,zero,earlier row\n";
    {
        ReadoutRecord second = openReadoutRecord(path.string(), quiet);
        ASSERT_TRUE(second.recording());
    }
    EXPECT_EQ(readAll(path), header + "1.000,zero,earlier row\n");
    EXPECT_EQ(quiet.str(), "");
    std::filesystem::remove(path);
}
