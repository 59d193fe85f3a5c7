#include "input/series_source.h"

namespace tarnik {

std::string ReadDetail::text() const {
    if (count < 0) return one;
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace tarnik
