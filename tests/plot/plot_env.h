#pragma once
// Helpers of the drawing tests: run in a temporary working directory without an
// X display, and capture what reaches the process's standard output.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "plot/cycle.h"
#include "support/test_support.h"

namespace tarnik::test {

// Working directory = a fresh temporary directory, DISPLAY unset, PLPLOT_LIB set.
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

// Everything written to file descriptor 1 while it lives.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        path_ = std::filesystem::temp_directory_path() / ("tarnik-stdout-" + std::to_string(getpid()));
        saved_ = dup(1);
        const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 1);
        close(fd);
    }
    ~StdoutCapture() { finish(); }
    std::string finish() {
        if (saved_ >= 0) {
            std::fflush(stdout);
            dup2(saved_, 1);
            close(saved_);
            saved_ = -1;
            text_ = read_file(path_);
            std::filesystem::remove(path_);
        }
        return text_;
    }

private:
    std::filesystem::path path_;
    int saved_ = -1;
    std::string text_;
};

inline bool is_png(const std::string& bytes) { return bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

}  // namespace tarnik::test
