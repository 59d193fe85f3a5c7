#pragma once
// Shared helpers of the test programs: temporary directories, the example data
// files, an in-memory console, and running the real tarnik binary with scripted
// answers (the end-to-end dialog harness).

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "console/console.h"

namespace tarnik::test {

// Path of a file of the project's data directory (ca533.rwl, TTHH_raw.txt, th001.rwl).
std::filesystem::path data_file(std::string_view name);

std::string read_file(const std::filesystem::path& p);

// A fresh directory under the system temporary directory, removed afterwards.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    // Copies a data file into the directory under its own (or the given) name.
    void copy_data(std::string_view name, std::string_view as = {}) const;
    void write(std::string_view name, std::string_view content) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// A Console reading the given input text and writing into memory.
class MemConsole {
public:
    explicit MemConsole(std::string_view input = {});
    ~MemConsole();
    MemConsole(const MemConsole&) = delete;
    MemConsole& operator=(const MemConsole&) = delete;
    Console& con() { return con_; }
    std::string output();  // everything written so far

private:
    std::string input_;
    std::FILE *in_ = nullptr, *out_ = nullptr;
    char* buf_ = nullptr;
    std::size_t size_ = 0;
    Console con_;
};

struct RunResult {
    std::string out, err;  // everything the program wrote to stdout and stderr
    int status = -1;       // exit status (128 + signal when killed by a signal)
    bool timed_out = false;
    long peak_kb = 0;      // the most memory the program held (resident), in kB
};

// Runs the tarnik binary in `dir` with `input` on stdin (answer lines, each ended
// by "\n"), without an X display. Extra environment variables and command-line
// arguments may be given, and a limit of the program's address space in MB (0: none).
RunResult run_tarnik(const TempDir& dir, std::string_view input, int timeout_seconds = 120,
                     const std::map<std::string, std::string>& env = {}, const std::vector<std::string>& args = {},
                     long address_space_mb = 0);

// A run shared by every test that checks it. ctest starts each test in a process
// of its own, so a run that several tests check is made once per build of the
// program and kept in a directory beside the binary: the first test process
// makes it (in a fresh directory holding the given data files and the files
// written with the given contents) while holding a lock, the others wait for
// the lock and read what it left. Another build of the program, another data
// file, other contents or other answers make it again; a run that did not end
// with status 0 is not kept.
struct KeptRun {
    std::filesystem::path dir;  // the working directory of the run, with everything it wrote
    RunResult result;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;
};
const KeptRun& kept_run(const std::string& name, const std::vector<std::string>& data_files, std::string_view input,
                        const std::map<std::string, std::string>& written = {});

// One series in decadal layout: the identifier (a8) and year (i4) of each line,
// then (i6) values up to the end of the decade, closed by the end marker 999.
// A line whose year is below -999 has a 7-character identifier and the year in
// columns 8-12.
std::string decadal(std::string_view id, int year, const std::vector<int>& widths);

// Answer lines joined with line ends: lines({"ca533.rwl", "f", "1"}) == "ca533.rwl\nf\n1\n".
std::string lines(std::initializer_list<std::string_view> answers);

// Success when `block` occurs in `out` as one piece; a failure shows the nearest part of `out`.
::testing::AssertionResult contains_block(std::string_view out, std::string_view block);

// Number of non-overlapping occurrences of `what` in `text`.
std::size_t count_of(std::string_view text, std::string_view what);

// Pictures as the plotting library's in-memory cairo device leaves them: width
// x height pixels of premultiplied red, green, blue and alpha bytes. Seen over
// white, the number of pixels whose colour differs in some channel by more
// than `threshold` (of 255).
std::size_t pixels_differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                             int threshold = 64);
// The number of pixels that are dark in `a` (some channel at most 255 - 160
// over white) with no pixel of `b` within one pixel that is inked at least a
// quarter as much: ink of `a` that `b` lost.
std::size_t ink_lost(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int width);

}  // namespace tarnik::test
