#pragma once
// A temporary folder standing for the executable's directory, a headless backend pointing at
// it, and helpers to write the settings file.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "runtime/Program.h"
#include "runtime/headless/HeadlessBackend.h"
#include "tests/support/TempDir.h"

namespace testing_support {

// A program on the headless backend, its executable directory a fresh temporary folder.
class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest();
    ~ProgramTest() override;

    // A new program on a new backend, as a fresh start of the executable.
    void restart();
    runtime::headless::HeadlessBackend& backend() const { return *backend_; }

    // Writes Porvane.ini beside the "executable".
    void writeIni(std::string_view text);
    std::string iniPath() const;

    TempDir dir;
    std::unique_ptr<runtime::headless::HeadlessBackend> backend_;
    std::unique_ptr<runtime::Program> program;
};

}  // namespace testing_support
