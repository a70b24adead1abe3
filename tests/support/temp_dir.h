#pragma once
// A fresh directory under the system temp folder, removed with its contents.

#include <filesystem>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return fPath; }

private:
    std::filesystem::path fPath;
};

} // namespace testing_support
