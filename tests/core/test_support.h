#pragma once
// Shared by the core tests: a store brought back to its start state for each test, and a
// temporary folder where each test writes its own data files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "failures.h"
#include "store.h"

namespace geolago::testing {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetStore();
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path()
            / ("geolago-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        resetStore();
    }

    // Writes `bytes` as they are into `name` in the test's folder; returns its path.
    std::string writeFile(const std::string& name, const std::string& bytes)
    {
        const auto path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::string pathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

// Runs `action`, expecting an IoFailure with `code` and its message.
template <typename Action>
void expectIoFailure(Action action, int code, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no failure, expected code " << code;
    } catch (const IoFailure& failure) {
        EXPECT_EQ(failure.code(), code);
        EXPECT_EQ(std::string(failure.what()), message);
    }
}

// Runs `action`, expecting a FloatFailure with `message`.
template <typename Action>
void expectFloatFailure(Action action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no failure, expected " << message;
    } catch (const FloatFailure& failure) {
        EXPECT_EQ(std::string(failure.what()), message);
    }
}

inline const std::string Invalid = "Opération en virgule flottante incorrecte";
inline const std::string DivisionByZero = "Division par zéro en virgule flottante";
inline const std::string Overflow = "Débordement en virgule flottante";

}  // namespace geolago::testing
