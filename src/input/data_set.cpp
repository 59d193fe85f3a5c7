#include "input/data_set.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "console/answers.h"
#include "input/formats.h"

namespace tarnik {
namespace {

namespace fs = std::filesystem;

// The files of a folder that are read, in the order of their names: not the
// hidden files, the reports and the pith offset file (`excluded`), which
// often stands beside the ring widths it belongs to.
std::vector<std::string> files_of_folder(const fs::path& folder, const std::string& excluded, std::error_code& ec) {
    std::vector<std::pair<std::string, std::string>> named;  // name, path
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with('.') || name.ends_with("_Tarnik")) continue;
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec)) continue;
        if (!excluded.empty() && fs::equivalent(it->path(), excluded, type_ec)) continue;
        named.emplace_back(name, it->path().string());
    }
    std::sort(named.begin(), named.end());
    std::vector<std::string> files;
    files.reserve(named.size());
    for (auto& [name, path] : named) files.push_back(std::move(path));
    return files;
}

std::string article(const std::string& word) {
    return !word.empty() && std::string_view("AEIOUaeiou").find(word[0]) != std::string_view::npos ? "an" : "a";
}

std::string details_text(const std::vector<ReadDetail>& details) {
    std::string tail;
    for (const ReadDetail& d : details) tail += ", " + d.text();
    return tail;
}

// Adds the counts of `more` to those of `sum`: counted details by their words,
// details without a count once.
void add_details(std::vector<ReadDetail>& sum, const std::vector<ReadDetail>& more) {
    for (const ReadDetail& d : more) {
        auto same = std::find_if(sum.begin(), sum.end(), [&](const ReadDetail& s) { return s.one == d.one; });
        if (same == sum.end()) sum.push_back(d);
        else if (d.count >= 0 && same->count >= 0) same->count += d.count;
    }
}

}  // namespace

std::string identifier_of(std::string_view name) {
    std::size_t cut = std::min<std::size_t>(name.size(), 8);
    // A UTF-8 character that does not fit whole is left out, not cut in two:
    // the cut moves back to its lead byte when that byte starts a sequence
    // running past the eighth byte. Bytes of other encodings (Latin-1 names)
    // are not UTF-8 sequences and are kept.
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && (static_cast<unsigned char>(name[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead > 0 && cut < name.size()) {
        const auto b = static_cast<unsigned char>(name[lead - 1]);
        const std::size_t length = b >= 0xF0 && b <= 0xF7 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (b >= 0xC0 && b <= 0xF7 && lead - 1 + length > cut) cut = lead - 1;
    }
    std::string id(name.substr(0, cut));
    id.resize(8, ' ');
    return id;
}

DataSetReader::DataSetReader(std::unique_ptr<SeriesSource> source)
    : source_(std::move(source)), bound_(source_->value_count_bound()) {}

std::optional<DataSetReader> DataSetReader::open(const std::string& path, std::string& problem,
                                                 const std::string& pith_offset_file) {
    DataSetReader d;
    std::error_code ec;
    d.path_ = path;
    d.folder_ = fs::is_directory(path, ec);
    if (d.folder_) {
        d.files_ = files_of_folder(path, pith_offset_file, ec);
        if (ec) {
            problem = " The folder " + path + " cannot be read. The run ends here.";
            return std::nullopt;
        }
        if (d.files_.empty()) {
            problem = " The folder " + path + " holds no file to read. The run ends here.";
            return std::nullopt;
        }
        for (const std::string& f : d.files_) d.bound_ += static_cast<std::size_t>(fs::file_size(f, ec) / 2 + 1);
    } else {
        d.files_.push_back(path);
    }
    try {
        d.open_next_file();
    } catch (const UnusableFile& e) {
        problem = e.lines.front();
        return std::nullopt;
    }
    if (!d.folder_) d.bound_ = d.source_->value_count_bound();
    return d;
}

bool DataSetReader::open_next_file() {
    if (next_file_ == files_.size()) return false;
    const std::string& file = files_[next_file_++];
    file_named_ = false;
    auto bytes = read_input_file(file);
    if (!bytes) throw UnusableFile{{" The file " + file + " cannot be read. The run ends here."}};
    source_ = make_series_source(std::move(*bytes), file);
    return true;
}

bool DataSetReader::next(SeriesRead& s) {
    while (source_) {
        bool read = false;
        try {
            read = source_->next(s);
        } catch (const UnusableFile&) {
            // In a folder a file whose every series was skipped (the reader
            // counted them) is counted with its format; a file with nothing
            // at all ends the run with its reader's message.
            take_file_notices();
            const ReadReport r = source_->report();
            if (!folder_ || r.series > 0 || r.details.empty()) throw;
        }
        take_file_notices();
        if (read) {
            ++series_;
            count_identifier(s);
            if (s.missing > 0)
                missing_.push_back({series_, s.id, s.missing, s.first_missing_year,
                                    source_->missing_ring_words(s.missing)});
            return true;
        }
        end_of_file();
        source_.reset();
        open_next_file();
    }
    end_of_data_set();
    return false;
}

// The notices of the file being read. In a folder the first of them is
// preceded by a line that names the file they are about.
void DataSetReader::take_file_notices() {
    for (std::string& n : source_->take_notices()) {
        if (folder_ && !file_named_) {
            notices_.push_back(" In the file " + files_[next_file_ - 1] + ":");
            file_named_ = true;
        }
        notices_.push_back(std::move(n));
    }
}

void DataSetReader::count_identifier(SeriesRead& s) {
    if (s.name.size() > 8 && cut_++ == 0) first_cut_ = s.name;
    s.id = identifier_of(s.name);
    ids_.push_back(s.id);
}

// One file read to its end: alone, its notice now; in a folder, its counts.
void DataSetReader::end_of_file() {
    const ReadReport r = source_->report();
    if (folder_ && r.series == 0 && r.details.empty())
        throw UnusableFile{{" The " + r.format + " " + r.noun + " " + files_[next_file_ - 1] +
                                " holds no ring-width series.",
                            " There is nothing to analyse. The run ends here."}};
    if (!folder_) {
        if (r.format != "decadal")
            notices_.push_back(" Read as " + article(r.format) + " " + r.format + " " + r.noun + ": " +
                               std::to_string(r.series) + " series" + details_text(r.details) + ".");
        return;
    }
    auto same = std::find_if(formats_.begin(), formats_.end(),
                             [&](const FormatCount& f) { return f.report.format == r.format; });
    if (same == formats_.end()) {
        formats_.push_back({r, 1});
        return;
    }
    ++same->files;
    same->report.series += r.series;
    add_details(same->report.details, r.details);
}

void DataSetReader::end_of_data_set() {
    if (ended_) return;
    ended_ = true;
    for (const FormatCount& f : formats_) {
        const ReadReport& r = f.report;
        notices_.push_back(" Read " + std::to_string(f.files) + " " + r.format + " " + r.noun +
                           (f.files == 1 ? "" : "s") + ": " + std::to_string(r.series) + " series" +
                           details_text(r.details) + ".");
    }
    std::sort(ids_.begin(), ids_.end());
    std::int32_t shared = 0;
    std::string first_shared;
    for (std::size_t i = 0; i < ids_.size();) {
        std::size_t j = i + 1;
        while (j < ids_.size() && ids_[j] == ids_[i]) ++j;
        if (j - i > 1) {
            shared += static_cast<std::int32_t>(j - i);
            if (first_shared.empty()) first_shared = ids_[i];
        }
        i = j;
    }
    std::vector<std::string> parts;
    if (cut_ > 0) {
        parts.push_back(std::to_string(cut_) + " longer than 8 characters " + (cut_ == 1 ? "keeps its" : "keep their") +
                        " first 8 (" + printable(first_cut_) + " is " + printable(first_cut_.substr(0, 8)) + ")");
    }
    if (shared > 0) {
        parts.push_back(std::to_string(shared) + " series share an identifier with another series (" +
                        printable(trim_right(first_shared)) + (shared > 2 ? " and others)" : ")"));
    }
    if (!parts.empty()) {
        std::string text = " Identifiers: " + parts[0];
        if (parts.size() > 1) text += "; " + parts[1];
        notices_.push_back(text + ".");
    }
}

std::vector<std::string> DataSetReader::take_notices() {
    std::vector<std::string> n;
    n.swap(notices_);
    return n;
}

}  // namespace tarnik
