// Reading a ring-width file at full capacity: 22000 series of 210 rings.
//
//   bench_read_bench                 generates the file in a temporary directory,
//                                    reads it through the whole program dialog
//                                    (raw widths, summary, exit) and prints the time
//   bench_read_bench --generate F    only writes the file F (for timing the binary)

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "console/console.h"
#include "data/limits.h"
#include "driver/driver.h"

namespace {

// 22000 series of 210 rings (1790-1999), widths in 0.01 mm from a fixed
// pseudo-random sequence, in decadal layout with the 999 marker.
void generate(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fputs("full-capacity benchmark file: 22000 series of 210 rings\n", f);
    std::uint32_t state = 12345;
    for (int s = 0; s < tarnik::MaxSeries; ++s) {
        char id[16];
        std::snprintf(id, sizeof id, "B%07d", s);
        int year = 1790;
        int left = 210;
        while (left >= 0) {
            std::fprintf(f, "%-8.8s%4d", id, year);
            int count = 10 - year % 10;
            for (int k = 0; k < count && left >= 0; ++k, --left) {
                if (left == 0) {
                    std::fprintf(f, "%6d", 999);
                } else {
                    state = state * 1664525u + 1013904223u;
                    std::fprintf(f, "%6u", 50 + (state >> 8) % 450);
                }
            }
            std::fputc('\n', f);
            year = year / 10 * 10 + 10;
        }
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--generate") == 0) {
        generate(argv[2]);
        return 0;
    }
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "tarnik-read-bench";
    fs::create_directories(dir);
    fs::current_path(dir);
    generate("full.rwl");

    const char answers[] = "full.rwl\nf\n1\n5\n";
    for (int run = 0; run < 3; ++run) {
        std::FILE* in = fmemopen(const_cast<char*>(answers), sizeof answers - 1, "r");
        std::FILE* out = std::fopen("/dev/null", "w");
        tarnik::Console con(in, out);
        const auto t0 = std::chrono::steady_clock::now();
        tarnik::run_program(con);
        const auto t1 = std::chrono::steady_clock::now();
        std::fclose(in);
        std::fclose(out);
        std::printf("read 22000 x 210 rings, summary and exit: %.3f s\n",
                    std::chrono::duration<double>(t1 - t0).count());
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return 0;
}
