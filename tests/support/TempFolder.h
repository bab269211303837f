#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace tomaro::test {

// A fresh folder of the test's own under the temporary directory ("tomaro-STEM-XXXXXX"), removed
// with everything in it when the object goes. A test that cannot have one fails at once.
class TempFolder {
public:
    explicit TempFolder(const std::string& stem) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("tomaro-" + stem + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot make a folder like " << pattern;
            return;
        }
        m_Path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_Path.empty()) std::filesystem::remove_all(m_Path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_Path; }
    // The path of `name` in the folder.
    std::string file(const std::string& name) const { return (m_Path / name).string(); }

private:
    std::filesystem::path m_Path;
};

// The folder of this run of the test program ("tomaro-run-XXXXXX"), made at the first call and
// removed with everything in it when the program ends: for helpers that write files under fixed
// names, so that two runs of a suite at once never share a file.
inline const TempFolder& runFolder() {
    static const TempFolder folder("run");
    return folder;
}

}  // namespace tomaro::test
