#pragma once
// Shared by the batch command's tests: a fresh folder for the files each test writes, and
// the outcome of one run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace geolago::testing {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;  // -1 when the process did not exit by itself
    std::string out;
    std::string err;
    long peakKilobytes = 0;  // the largest resident memory of a process started
};

inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

class CliFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "geolago-cli-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes `content` byte for byte into the folder; returns the file's path.
    std::string write(const std::string& name, const std::string& content)
    {
        std::ofstream(dir_ / name, std::ios::binary) << content;
        return (dir_ / name).string();
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

}  // namespace geolago::testing
