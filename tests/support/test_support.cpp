#include "support/test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>

extern char** environ;

namespace tarnik::test {
namespace fs = std::filesystem;

fs::path data_file(std::string_view name) { return fs::path(TARNIK_TEST_DATA_DIR) / name; }

std::string read_file(const fs::path& p) {
    std::ostringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
}

static void write_file(const fs::path& p, std::string_view content) {
    std::ofstream(p, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
}

TempDir::TempDir() {
    std::random_device rd;
    do path_ = fs::temp_directory_path() / ("tarnik-test-" + std::to_string(rd()));
    while (!fs::create_directory(path_));
}

TempDir::~TempDir() {
    std::error_code ec;  // a test may have made the directory read-only: give permissions back first
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

void TempDir::copy_data(std::string_view name, std::string_view as) const {
    fs::path dest = path_ / (as.empty() ? name : as);
    fs::copy_file(data_file(name), dest, fs::copy_options::overwrite_existing);
    fs::permissions(dest, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

void TempDir::write(std::string_view name, std::string_view content) const { write_file(path_ / name, content); }
std::string TempDir::read(std::string_view name) const { return read_file(path_ / name); }
bool TempDir::exists(std::string_view name) const { return fs::exists(path_ / name); }

MemConsole::MemConsole(std::string_view input)
    : input_(input),
      in_(fmemopen(input_.empty() ? nullptr : input_.data(), input_.empty() ? 1 : input_.size(), "r")),
      out_(open_memstream(&buf_, &size_)),
      con_(in_, out_) {
    if (input_.empty()) std::fgetc(in_);  // an empty input stream: at end of file from the start
}

MemConsole::~MemConsole() {
    std::fclose(in_);
    std::fclose(out_);
    std::free(buf_);
}

std::string MemConsole::output() {
    std::fflush(out_);
    return {buf_, size_};
}

// In a sanitizer build a memory or undefined-behaviour error is reported on
// stderr; it fails the test that ran the program, whatever the exit status.
static void fail_on_sanitizer_report(const RunResult& r) {
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"})
        if (r.err.find(report) != std::string::npos) ADD_FAILURE() << "sanitizer report from tarnik:\n" << r.err;
}

RunResult run_tarnik(const TempDir& dir, std::string_view input, int timeout_seconds,
                     const std::map<std::string, std::string>& env, const std::vector<std::string>& args,
                     long address_space_mb) {
    const fs::path in_path = dir / ".stdin", out_path = dir / ".stdout", err_path = dir / ".stderr";
    write_file(in_path, input);

    // The caller's environment without a display, with the given variables set.
    std::vector<std::string> env_strings;
    for (char** e = environ; *e; ++e) {
        const std::string_view kv = *e;
        const std::string name(kv.substr(0, kv.find('=')));
        if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && !env.contains(name)) env_strings.emplace_back(kv);
    }
    for (const auto& [k, v] : env) env_strings.push_back(k + "=" + v);
    std::vector<char*> envp;
    for (auto& s : env_strings) envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addchdir_np(&fa, dir.path().c_str());
    posix_spawn_file_actions_addopen(&fa, 0, in_path.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string binary = TARNIK_BINARY;
    // With a limit, a shell sets it and then becomes the program (same process).
    std::string shell = "/bin/sh", dash_c = "-c",
                script = "ulimit -v " + std::to_string(address_space_mb * 1024) + " && exec \"$0\" \"$@\"";
    std::vector<std::string> arg_strings = args;
    std::vector<char*> argv;
    if (address_space_mb > 0) argv = {shell.data(), dash_c.data(), script.data()};
    argv.push_back(binary.data());
    for (auto& a : arg_strings) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    RunResult r;
    const bool started = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&fa);
    if (!started) {
        r.err = "could not start " + binary;
        return r;
    }
    int wstatus = 0;
    struct rusage usage {};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    while (wait4(pid, &wstatus, WNOHANG, &usage) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &wstatus, 0, &usage);
            r.timed_out = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    r.peak_kb = usage.ru_maxrss;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : WIFSIGNALED(wstatus) ? 128 + WTERMSIG(wstatus) : -1;
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    fail_on_sanitizer_report(r);
    std::error_code ec;
    for (const fs::path& p : {in_path, out_path, err_path}) fs::remove(p, ec);
    return r;
}

std::string KeptRun::read(std::string_view name) const { return read_file(dir / name); }
bool KeptRun::exists(std::string_view name) const { return fs::exists(dir / name); }

namespace {

// An exclusive lock on a file, held for the object's lifetime.
class FileLock {
public:
    explicit FileLock(const fs::path& p) : fd_(::open(p.c_str(), O_CREAT | O_RDWR, 0644)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

// What a kept run depends on: the binary and the data files (size and time of
// their last change), the written files and the answers.
std::string kept_run_stamp(const std::vector<std::string>& data_files, const std::map<std::string, std::string>& written,
                           std::string_view input) {
    std::ostringstream s;
    std::vector<fs::path> files = {TARNIK_BINARY};
    for (const auto& name : data_files) files.push_back(data_file(name));
    for (const fs::path& p : files)
        s << p.string() << ' ' << fs::file_size(p) << ' ' << fs::last_write_time(p).time_since_epoch().count() << '\n';
    for (const auto& [name, content] : written) s << name << ' ' << content.size() << '\n' << content;
    s << input;
    return s.str();
}

}  // namespace

const KeptRun& kept_run(const std::string& name, const std::vector<std::string>& data_files, std::string_view input,
                        const std::map<std::string, std::string>& written) {
    static std::map<std::string, std::unique_ptr<KeptRun>> runs;  // this process's runs
    std::unique_ptr<KeptRun>& run = runs[name];
    if (run) return *run;
    const fs::path dir = fs::path(TARNIK_BINARY).parent_path() / "kept_test_runs" / name;
    fs::create_directories(dir.parent_path());
    const FileLock lock(dir.string() + ".lock");
    const std::string stamp = kept_run_stamp(data_files, written, input);
    const fs::path stamp_path = dir / ".stamp", out_path = dir / ".out", err_path = dir / ".err",
                   status_path = dir / ".status";
    if (!fs::exists(stamp_path) || read_file(stamp_path) != stamp) {
        TempDir work;
        for (const auto& f : data_files) work.copy_data(f);
        for (const auto& [file, content] : written) work.write(file, content);
        const RunResult r = run_tarnik(work, input);
        fs::remove_all(dir);
        fs::copy(work.path(), dir, fs::copy_options::recursive);
        write_file(out_path, r.out);
        write_file(err_path, r.err);
        write_file(status_path, std::to_string(r.status));
        if (r.status == 0) write_file(stamp_path, stamp);  // written last: the run is complete
    }
    run = std::make_unique<KeptRun>();
    run->dir = dir;
    run->result.out = read_file(out_path);
    run->result.err = read_file(err_path);
    run->result.status = std::stoi(read_file(status_path));
    fail_on_sanitizer_report(run->result);  // in every test that reads the run
    return *run;
}

std::string lines(std::initializer_list<std::string_view> answers) {
    std::string s;
    for (auto a : answers) (s += a) += '\n';
    return s;
}

std::string decadal(std::string_view id, int year, const std::vector<int>& widths) {
    std::vector<int> items = widths;
    items.push_back(999);
    std::string s;
    char buf[32];
    const auto floor_mod10 = [](int y) { return ((y % 10) + 10) % 10; };
    for (std::size_t i = 0; i < items.size(); year = year - floor_mod10(year) + 10) {
        // Years below -999 take columns 8-12 after a 7-character identifier.
        // A year past 9999 does not fit: asterisks, as a Fortran i4 writes it.
        if (year < -999) std::snprintf(buf, sizeof buf, "%-7.7s%5d", std::string(id).c_str(), year);
        else if (year > 9999) std::snprintf(buf, sizeof buf, "%-8.8s****", std::string(id).c_str());
        else std::snprintf(buf, sizeof buf, "%-8.8s%4d", std::string(id).c_str(), year);
        s += buf;
        for (int k = floor_mod10(year); k < 10 && i < items.size(); ++k, ++i) {
            std::snprintf(buf, sizeof buf, "%6d", items[i]);
            s += buf;
        }
        s += '\n';
    }
    return s;
}

::testing::AssertionResult contains_block(std::string_view out, std::string_view block) {
    if (out.find(block) != std::string_view::npos) return ::testing::AssertionSuccess();
    // Show the output from the longest leading part of the block that was found.
    std::size_t lo = 0, hi = block.size(), at = 0;
    while (lo < hi) {
        const std::size_t mid = (lo + hi + 1) / 2, p = out.find(block.substr(0, mid));
        if (p != std::string_view::npos) std::tie(lo, at) = std::pair(mid, p);
        else hi = mid - 1;
    }
    return ::testing::AssertionFailure() << "block not found.\n--- expected block ---\n" << block
                                         << "\n--- output from the longest match (" << lo << " of " << block.size()
                                         << " characters matched) ---\n" << out.substr(at, lo + 400) << "\n--- end ---";
}

std::size_t count_of(std::string_view text, std::string_view what) {
    if (what.empty()) return 0;
    std::size_t n = 0;
    for (std::size_t p = text.find(what); p != std::string_view::npos; p = text.find(what, p + what.size())) ++n;
    return n;
}

// Channel c of pixel i over a white background.
static int over_white(const std::vector<unsigned char>& p, std::size_t i, int c) {
    return std::min(255, p[4 * i + static_cast<std::size_t>(c)] + 255 - p[4 * i + 3]);
}

// How far pixel i is from white: 0 (white or nothing) to 255.
static int ink(const std::vector<unsigned char>& p, std::size_t i) {
    return 255 - std::min({over_white(p, i, 0), over_white(p, i, 1), over_white(p, i, 2)});
}

std::size_t pixels_differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int threshold) {
    if (a.size() != b.size()) return std::max(a.size(), b.size()) / 4;
    std::size_t n = 0;
    for (std::size_t i = 0; i < a.size() / 4; ++i) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(over_white(a, i, c) - over_white(b, i, c)) > threshold) {
                ++n;
                break;
            }
        }
    }
    return n;
}

std::size_t ink_lost(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int width) {
    if (a.size() != b.size() || width <= 0) return a.size() / 4;
    const int height = static_cast<int>(a.size() / 4) / width;
    std::size_t lost = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (ink(a, static_cast<std::size_t>(y * width + x)) < 160) continue;
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int u = x + dx, v = y + dy;
                    found = u >= 0 && u < width && v >= 0 && v < height &&
                            ink(b, static_cast<std::size_t>(v * width + u)) >= 64;
                }
            if (!found) ++lost;
        }
    }
    return lost;
}

}  // namespace tarnik::test
