#pragma once
// A private scratch folder per test, removed afterwards.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        std::string t = (std::filesystem::temp_directory_path() / "mivotest-XXXXXX").string();
        path = ::mkdtemp(t.data());
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::path p = path / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
