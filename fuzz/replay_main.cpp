// Replays fuzz inputs without the fuzzing engine: every file named on the command
// line (a directory stands for all files in it) goes once through
// LLVMFuzzerTestOneInput. Used by the test suite to rerun the committed corpora.
// As with the engine, -rss_limit_mb=N fails the run at the first input after
// which the program has held more than N MB.

#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    long limit_mb = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("-rss_limit_mb=")) {
            limit_mb = std::strtol(argv[i] + 14, nullptr, 10);
            continue;
        }
        const fs::path p(argv[i]);
        if (fs::is_directory(p)) {
            for (const auto& e : fs::directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path());
        } else {
            files.push_back(p);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    for (const fs::path& f : files) {
        std::ifstream s(f, std::ios::binary);
        if (!s) {
            std::fprintf(stderr, "cannot read %s\n", f.c_str());
            return 1;
        }
        const std::string data((std::istreambuf_iterator<char>(s)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
        struct rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        if (limit_mb > 0 && usage.ru_maxrss / 1024 > limit_mb) {
            std::fprintf(stderr, "%s: the program held %ld MB, more than the limit of %ld MB\n", f.c_str(),
                         usage.ru_maxrss / 1024, limit_mb);
            return 1;
        }
    }
    std::printf("%zu inputs replayed\n", files.size());
    return 0;
}
