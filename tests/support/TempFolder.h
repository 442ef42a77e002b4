#pragma once
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include "base/Platform.h"

// A fresh folder for one test, removed with everything in it afterwards.
// Paths come back in the program's spelling ("\" separators).
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kiv-test-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        if (made) mOsPath = made;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!mOsPath.empty()) std::filesystem::remove_all(mOsPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with "\".
    std::string Path() const { return KIV::FromOsPath(mOsPath) + "\\"; }
    std::string PathOf(const std::string& name) const { return Path() + name; }

    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(KIV::ToOsPath(PathOf(name)), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const
    {
        std::ifstream in(KIV::ToOsPath(PathOf(name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(KIV::ToOsPath(PathOf(name))); }
    // Names in the folder (not recursive), sorted.
    std::vector<std::string> Names(const std::string& sub = "") const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(KIV::ToOsPath(PathOf(sub))))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string mOsPath;
};
