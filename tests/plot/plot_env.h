#pragma once
// Drawing tests run in a fresh working directory without an X display, so that
// the screen plot goes to tarnik_screen.png there.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "plot/cycle.h"
#include "support/test_support.h"

namespace tarnik::test {

class PlotSandbox {
public:
    PlotSandbox() : old_(std::filesystem::current_path()) {
        if (const char* d = std::getenv("DISPLAY")) display_ = d;
        unsetenv("DISPLAY");
        plot::set_plplot_environment();
        std::filesystem::current_path(dir_.path());
    }
    ~PlotSandbox() {
        std::filesystem::current_path(old_);
        if (!display_.empty()) setenv("DISPLAY", display_.c_str(), 1);
    }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::filesystem::path old_;
    std::string display_;
};

}  // namespace tarnik::test
