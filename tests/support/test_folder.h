#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace varnel::testing_support {

/// The whole content of a file as bytes; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// A fresh folder of its own for the running test, removed with everything in it at the end.
/// Its name carries the test's suite and name and a unique ending, so tests that run at the
/// same time (ctest -j, other builds on the machine) never share one.
class TestFolder {
public:
    TestFolder() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = "varnel-";
        name += test ? std::string(test->test_suite_name()) + "." + test->name() : "folder";
        for (char& c : name) {
            if (c == '/') c = '_';  // parameterised tests are named "Name/0"
        }
        std::string pattern = (std::filesystem::path(::testing::TempDir()) / name).string();
        pattern += "-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make a folder " << pattern;
        }
        path_ = pattern;
    }
    /// Removes the folder, giving back the owner's rights to every folder inside first, so that
    /// a test that made one read-only leaves nothing behind.
    ~TestFolder() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto item = fs::recursive_directory_iterator(path_, ignored);
             item != fs::recursive_directory_iterator(); item.increment(ignored)) {
            if (!item->is_symlink(ignored) && item->is_directory(ignored)) {
                fs::permissions(item->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            }
        }
        fs::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    /// The path of `name` inside the folder, as text.
    std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

    /// Writes `bytes` to the file `name` in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

    /// The bytes of the file `name` in the folder.
    std::string Read(const std::string& name) const { return ReadWholeFile(path_ / name); }

private:
    std::filesystem::path path_;
};

}  // namespace varnel::testing_support
