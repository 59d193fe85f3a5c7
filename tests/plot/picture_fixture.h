#pragma once
// Screen plots drawn into memory, for comparing pictures: while a PictureBox
// lives, screen drawings go to an in-memory screen of the library's cairo
// renderer, either at the device's resolution (the program's way) or with every
// point handed to the library (full detail). While a PlotSandbox lives, the
// working directory is a fresh one and there is no X display, so that screen
// plots go to tarnik_screen.png and saved plots are written there.

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "plot/cycle.h"
#include "plot/resolution.h"
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
    PlotSandbox(const PlotSandbox&) = delete;
    PlotSandbox& operator=(const PlotSandbox&) = delete;
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::filesystem::path old_;
    std::string display_;
};

class PictureBox {
public:
    explicit PictureBox(bool full_detail, std::int32_t width = 720, std::int32_t height = 540) {
        if (const char* d = std::getenv("DISPLAY")) display_ = d;
        unsetenv("DISPLAY");
        plot::set_plplot_environment();
        screen_.width = width;
        screen_.height = height;
        plot::set_memory_screen(&screen_);
        plot::set_full_detail(full_detail);
    }
    ~PictureBox() {
        plot::set_memory_screen(nullptr);
        plot::set_full_detail(false);
        if (!display_.empty()) setenv("DISPLAY", display_.c_str(), 1);
    }
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;
    const std::vector<unsigned char>& pixels() const { return screen_.rgba; }

private:
    plot::MemoryScreen screen_;
    std::string display_;
};

// The picture `draw` leaves on the in-memory screen.
inline std::vector<unsigned char> picture(bool full_detail, const std::function<void()>& draw) {
    PictureBox box(full_detail);
    draw();
    return box.pixels();
}

}  // namespace tarnik::test
