#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace varnel::testing_support {

/// A fresh folder named after the running test, removed with everything in it at the end.
class TestFolder {
public:
    TestFolder()
        : path_(std::filesystem::path(::testing::TempDir()) /
                ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() { std::filesystem::remove_all(path_); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    /// Writes `bytes` to the file `name` in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

}  // namespace varnel::testing_support
