#pragma once
// The data set the reading loop reads: one ring-width file, or every file of a
// folder, as one stream of series numbered from 1.
//
// A folder is read file by file, in the order of the files' names: every
// regular file whose name does not begin with '.' (hidden files) and does not
// end in "_Tarnik" (the program's own reports), each recognised by its own
// content. A file that cannot be read ends the run with its reader's message,
// which names the file, and so does a file without any series (exit status 1);
// a file whose every series was skipped (earlywood, other variables) is
// counted with its format like any other. A folder without any file to read,
// or without any series, ends the run too: nothing of it is analysed.
//
// The data set cuts names to the 8 characters of an identifier and gives the
// notices of what was read: one line per file (for a folder, one per format,
// with its counts of files and series), then one about identifiers that were
// cut or that several series share, and the series with missing rings. In a
// folder, what a reader notices in a file (a year slip, a missing end marker)
// follows a line that names the file.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "input/series_source.h"

namespace tarnik {

class DataSetReader {
public:
    // The file or folder at `path`; no value, with the line that says why in
    // `problem`, when a file cannot be read or a folder holds no file to read.
    // A folder's files leave out the pith offset file when it stands there.
    static std::optional<DataSetReader> open(const std::string& path, std::string& problem,
                                             const std::string& pith_offset_file = {});
    // The data set of one file's reader.
    explicit DataSetReader(std::unique_ptr<SeriesSource> source);

    // The next series, with its number in the data set and its identifier;
    // false after the last one.
    bool next(SeriesRead& s);
    // Notices collected since the last call; the caller prints and clears them.
    std::vector<std::string> take_notices();
    // Series that had missing rings, in order; complete after the last series.
    const std::vector<MissingRings>& missing_rings() const { return missing_; }
    // An upper bound of the number of widths in the data set, for reserving storage.
    std::size_t value_count_bound() const { return bound_; }
    bool is_folder() const { return folder_; }

private:
    struct FormatCount {
        ReadReport report;       // series and details summed over the files
        std::int32_t files = 0;
    };
    DataSetReader() = default;
    bool open_next_file();
    void take_file_notices();
    void end_of_file();
    void end_of_data_set();
    void count_identifier(SeriesRead& s);

    std::string path_;                      // the file or folder as the user named it
    std::vector<std::string> files_;
    std::size_t next_file_ = 0;
    bool folder_ = false;
    bool file_named_ = false;               // a notice of the file being read named it
    std::unique_ptr<SeriesSource> source_;  // of the file being read
    std::size_t bound_ = 0;
    std::int32_t series_ = 0;               // series handed out so far
    std::vector<FormatCount> formats_;      // in the order of their first file
    std::vector<std::string> notices_;
    std::vector<MissingRings> missing_;
    bool ended_ = false;
    // Identifiers: names cut to 8 characters (and the first of them), and how
    // many series hold each identifier.
    std::int32_t cut_ = 0;
    std::string first_cut_;
    std::vector<std::string> ids_;
};

// The first 8 bytes of a series name, padded with blanks; a UTF-8 character
// that would be cut at the eighth byte is left out whole.
std::string identifier_of(std::string_view name);

}  // namespace tarnik
