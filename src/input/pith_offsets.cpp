#include "input/pith_offsets.h"

#include <memory>

#include "console/answers.h"
#include "console/record_format.h"
#include "data/limits.h"

namespace tarnik {

std::optional<std::string_view> LineSource::next() { return cursor_.next(content_); }

PithOffsets read_pith_offsets(std::string content, const OffsetRecordReader& read_record) {
    PithOffsets r;
    LineSource src(std::move(content));
    if (auto title = src.next()) r.title = std::string(*title);
    else return r;
    for (;;) {
        OffsetRecord rec = read_record(src);
        if (rec.status == OffsetRecord::Status::kEndOfFile) break;
        if (rec.status == OffsetRecord::Status::kUnreadable) {
            r.bad_line = src.line_number();
            r.bad_text = std::move(rec.bad_text);
            break;
        }
        if (static_cast<std::int64_t>(r.offsets.size()) >= MaxSeries) {
            r.too_many = true;
            break;
        }
        r.offsets.push_back(rec.offset);
    }
    return r;
}

OffsetRecord read_i4_record(LineSource& src) {
    auto line = src.next();
    if (!line) return {};
    auto v = parse_int_field(*line, 4);
    if (!v) return {OffsetRecord::Status::kUnreadable, 0, std::string(*line)};
    return {OffsetRecord::Status::kOffset, *v, {}};
}

std::optional<OffsetRecordReader> user_format_reader(const std::string& text, std::string& error) {
    fmt::FormatParse parsed = fmt::RecordFormat::parse_input(text);
    if (!parsed) {
        error = parsed.error;
        return std::nullopt;
    }
    auto format = std::make_shared<const fmt::RecordFormat>(std::move(*parsed.format));
    return OffsetRecordReader([format](LineSource& src) -> OffsetRecord {
        auto first = src.next();
        if (!first) return {};
        const std::string first_line(*first);
        // Further lines of the same record, for '/' in the format; a field that
        // cannot be read is shown with the line it stands on.
        std::string last_line = first_line;
        auto more = [&src, &last_line]() -> std::optional<std::string> {
            auto l = src.next();
            if (!l) return std::nullopt;
            last_line = std::string(*l);
            return last_line;
        };
        fmt::IntegerRead r = format->read_integer(first_line, more);
        switch (r.status) {
            case fmt::IntegerRead::Status::ok:
                return {OffsetRecord::Status::kOffset, r.value, {}};
            case fmt::IntegerRead::Status::end_of_input:
                return {};
            case fmt::IntegerRead::Status::bad_field:
                break;
        }
        return {OffsetRecord::Status::kUnreadable, 0, last_line + "  (" + r.message + ")"};
    });
}

}  // namespace tarnik
