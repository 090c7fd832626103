#pragma once
// A fresh folder under the system's temporary folder for one test, removed with its files
// afterwards. Shared by the headless and the Qt tests.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace testing_support {

class TempDir {
  public:
    TempDir() {
        // Tests run as processes side by side: a name another one took is simply passed over.
        static std::atomic<int> counter{0};
        auto base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("porvane-test-" + std::to_string(counter++));
        } while (!std::filesystem::create_directories(path_));
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The full path of a file in the folder, UTF-8.
    std::string file(const std::string& name) const {
        auto u8 = (path_ / name).u8string();
        return {u8.begin(), u8.end()};
    }
    // Writes the bytes to a file in the folder and returns its full path, UTF-8.
    std::string write(const std::string& name, std::string_view bytes) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }
    // The whole content of a file in the folder, or "" when there is none.
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::filesystem::path path_;
};

}  // namespace testing_support
