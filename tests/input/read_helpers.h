#pragma once
// Reading a whole file through a reader and the data set, as the reading loop
// does, for the tests of the text-format readers.

#include <memory>
#include <string>
#include <vector>

#include "console/errors.h"
#include "input/data_set.h"

namespace tarnik::test {

struct WholeRead {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

inline WholeRead read_whole(DataSetReader& data) {
    WholeRead r;
    SeriesRead s;
    while (data.next(s)) r.series.push_back(s);
    r.notices = data.take_notices();
    r.missing = data.missing_rings();
    return r;
}

template <class Reader>
WholeRead read_with(std::string content) {
    DataSetReader data(std::make_unique<Reader>(std::move(content), "in.txt"));
    return read_whole(data);
}

// The lines of the message that ends the run (a read error or a file without
// ring widths) after " error reading data", without the indentation and the
// closing hint; {"no message"} when the file reads.
template <class Reader>
std::vector<std::string> refusal_of(std::string content) {
    std::vector<std::string> lines;
    try {
        read_with<Reader>(std::move(content));
        return {"no message"};
    } catch (const InternalError& e) {
        lines = e.lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    std::vector<std::string> out;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        out.push_back(lines[i].starts_with(std::string(13, ' ')) ? lines[i].substr(13) : lines[i]);
    return out;
}

}  // namespace tarnik::test
