#include "TestSupport.h"

#include "settings/mdlGlobals.h"

namespace testing_support {

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
    return dir.file("Porvane.ini");
}

}  // namespace testing_support
