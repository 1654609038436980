#pragma once

#include <filesystem>
#include <string>
#include <cstdlib>

namespace kivtest {

// The third-party data folder beside the checkout (may be absent).
inline std::filesystem::path testdataDir() { return KIV_TESTDATA_DIR; }

inline bool haveTestdata() { return std::filesystem::is_directory(testdataDir()); }

// A fresh, empty folder for one test; removed when the object goes.
class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "kivtest-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace kivtest
