#pragma once
// A folder of one test's own under the system's temporary folder
// ("quarnel-<name>-XXXXXX"), removed with all it holds when the owner goes.
// POSIX only: the Windows tests keep theirs below one root of the prefix.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / ("quarnel-" + name + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make a scratch folder for " << name;
            return;
        }
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be made.
    const std::filesystem::path& path() const noexcept { return path_; }
    // The path of `name` inside it.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
