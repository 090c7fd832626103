#pragma once

#include <thread>

namespace runtime::qt {

// Reads the font configuration on a second core while Qt connects to the display. Qt reads it
// only when the first text is laid out, after the application object is made, and on its own
// it is the largest single piece of the start: about a third of the work before the policy
// window shows. Made before the QApplication and waited for right after it, so that Qt finds
// the configuration loaded: had both loaded it at once, each would have done the whole work.
class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    void wait();

  private:
    std::thread loader_;
};

}  // namespace runtime::qt
