#include "TestSupport.h"

#include <atomic>
#include <fstream>

#include "settings/mdlGlobals.h"

namespace testing_support {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("porvane-test-" +
                        std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                        std::to_string(counter++) + "-" +
                        std::to_string(reinterpret_cast<std::uintptr_t>(this) % 100000));
        if (std::filesystem::create_directories(path_)) {
            break;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, std::string_view bytes) const {
    std::filesystem::path file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    auto u8 = file.u8string();
    return {u8.begin(), u8.end()};
}

ProgramTest::ProgramTest() {
    restart();
}

void ProgramTest::restart() {
    program.reset();
    sIniFile.clear();
    backend_ = std::make_unique<runtime::headless::HeadlessBackend>();
    auto u8 = dir.path().u8string();
    backend_->setExecutableDirectory({u8.begin(), u8.end()});
    program = std::make_unique<runtime::Program>(*backend_);
}

ProgramTest::~ProgramTest() {
    program.reset();
    sIniFile.clear();
}

void ProgramTest::writeIni(std::string_view text) {
    dir.write("Porvane.ini", text);
}

std::string ProgramTest::iniPath() const {
    auto u8 = (dir.path() / "Porvane.ini").u8string();
    return {u8.begin(), u8.end()};
}

}  // namespace testing_support
