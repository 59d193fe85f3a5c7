#include "input/series_source.h"

#include "input/readdec.h"

namespace tarnik {

std::unique_ptr<SeriesSource> open_series_source(const std::string& path) {
    auto reader = DecadalReader::open(path);
    if (!reader) return nullptr;
    return std::make_unique<DecadalReader>(std::move(*reader));
}

}  // namespace tarnik
