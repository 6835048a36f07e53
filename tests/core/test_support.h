#pragma once
// Shared by the core tests: a store of the test's own, a temporary folder where each test
// writes its own data files, and the one check of a failure with its exact message.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "analysis.h"
#include "failures.h"
#include "reader.h"
#include "store.h"

namespace geolago::testing {

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device seed;
        folder_ = std::filesystem::temp_directory_path()
            / ("geolago-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Writes `bytes` as they are into `name` in the test's folder; returns its path.
    std::string writeFile(const std::string& name, const std::string& bytes)
    {
        const auto path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::string pathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::unique_ptr<Store> owned_ = std::make_unique<Store>();
    Store& store = *owned_;
    std::filesystem::path folder_;

    // The shipped example, 80 districts and 12 variables, read and placed with N = 10.
    void readExample()
    {
        store.NBPoints = 80;
        store.NBVar = 12;
        Lit_Data(store, GEOLAGO_EXAMPLES_DIR "/quartiers.txt", true);
        store.NBMailles = 10;
        Calcul_Mailles(store);
    }
};

// Runs `action`, expecting it to throw a `Expected` whose message is `message`; gives
// the failure back for further checks (its code, its kind).
template <typename Expected, typename Action>
std::optional<Expected> expectFailure(Action action, const std::string& message)
{
    try {
        action();
        ADD_FAILURE() << "no failure, expected \"" << message << '"';
    } catch (const Expected& failure) {
        EXPECT_EQ(std::string(failure.what()), message);
        return failure;
    }
    return std::nullopt;
}

// The input/output failure of `code` with `message`.
template <typename Action>
void expectIoFailure(Action action, int code, const std::string& message)
{
    if (const auto failure = expectFailure<IoFailure>(action, message)) {
        EXPECT_EQ(failure->code(), code);
    }
}

inline const std::string Invalid = "Opération en virgule flottante incorrecte";
inline const std::string DivisionByZero = "Division par zéro en virgule flottante";
inline const std::string Overflow = "Débordement en virgule flottante";

}  // namespace geolago::testing
