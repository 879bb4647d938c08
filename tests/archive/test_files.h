// A scratch folder per test, removed afterwards, with helpers that speak player paths.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/paths.h"

namespace vobe::testing {

class TScratchDir {
public:
    TScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string("vobe_") + (info ? info->test_suite_name() : "t") + "_" +
                           (info ? info->name() : "x") + "_" + std::to_string(::getpid());
        FDir = std::filesystem::temp_directory_path() / leaf;
        std::filesystem::remove_all(FDir);
        std::filesystem::create_directories(FDir);
    }
    ~TScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(FDir, ec);
    }
    const std::filesystem::path& Dir() const { return FDir; }
    std::string Real(const std::string& rel) const { return (FDir / rel).string(); }
    // The player path of a file in the folder (Shift-JIS, '\').
    std::string Player(const std::string& rel = "") const { return PlayerPath((FDir / rel).string()); }
    void Write(const std::string& rel, const std::string& bytes) const {
        std::filesystem::create_directories((FDir / rel).parent_path());
        std::ofstream(FDir / rel, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& rel) const {
        std::ifstream in(FDir / rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path FDir;
};

} // namespace vobe::testing
