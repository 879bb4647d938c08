// A fresh folder under the build tree for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace vobe::test {

class TTempDir {
public:
    explicit TTempDir(const std::string& name) {
        path_ =
            std::filesystem::path(VOBE_BINARY_DIR) / "test-tmp" / (name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string Real() const { return path_.string(); }
    std::string Real(const std::string& rel) const { return (path_ / rel).string(); }
    void WriteFile(const std::string& rel, const std::string& content) const {
        auto p = path_ / rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }
    static std::string ReadFile(const std::string& real) {
        std::ifstream in(real, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

} // namespace vobe::test
