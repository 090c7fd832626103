#pragma once
// The guard's state on Windows: guard.state in %ProgramData%\Porvane, replaced whole.

#include <optional>
#include <string>

#include "guard/Guard.h"

namespace guard::win32 {

class StateFile final : public StateStore {
  public:
    explicit StateFile(std::wstring folder) : folder_(std::move(folder)) {}
    std::optional<std::string> load() override;
    // Written beside it, then moved over it: a crash leaves the old text or the new one.
    bool save(const std::string& text) override;
    std::string setAside() override;

  private:
    std::wstring path() const { return folder_ + L"\\guard.state"; }
    std::wstring folder_;
};

}  // namespace guard::win32
