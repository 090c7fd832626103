#pragma once
// The guard's state in its folder (/var/lib/porvane): one file, replaced whole through a temporary
// file, fsync and rename, so that a crash or a power cut leaves the old state or the new one.

#include <string>

#include "guard/Guard.h"

namespace guard {

class StateFolder : public StateStore {
  public:
    explicit StateFolder(std::string folder);
    std::optional<std::string> load() override;
    bool save(const std::string& text) override;
    std::string setAside() override;

  private:
    std::string folder_, file_;
};

}  // namespace guard
