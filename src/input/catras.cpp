#include "input/catras.h"

#include <cstdint>
#include <vector>

#include "input/text_helpers.h"

namespace tarnik {
namespace {

constexpr std::size_t kRecord = 128;  // the header, and the unit the values are padded to
constexpr std::size_t kMaxBlocks = 4;  // values, and for mean curves up to three blocks of counts

// Byte offsets in the header.
constexpr std::size_t kTitle = 0, kTitleSize = 32;
constexpr std::size_t kKeyCode = 32, kKeyCodeSize = 8;
constexpr std::size_t kSignature = 40;
constexpr std::size_t kCount = 44;
constexpr std::size_t kFirstYear = 54;
constexpr std::size_t kNumberFormat = 66;
constexpr std::size_t kVariable = 67;
constexpr std::size_t kKind = 83;

// The variable of byte 67.
enum class Variable : unsigned { ring_width = 0, earlywood = 1, latewood = 2 };
// The kind of byte 83: tree curves and chronologies are mean curves.
enum class Kind : unsigned { raw = 0, tree_curve = 1, chronology = 2 };

std::uint16_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8));
}

std::int16_t s16(std::string_view b, std::size_t at) { return static_cast<std::int16_t>(u16(b, at)); }

unsigned byte(std::string_view b, std::size_t at) { return static_cast<unsigned char>(b[at]); }

// A fixed text field of the header: up to its first NUL, control characters
// as blanks, without leading and trailing blanks.
std::string text_field(std::string_view b, std::size_t at, std::size_t size) {
    std::string out(b.substr(at, size));
    if (const auto nul = out.find('\0'); nul != std::string::npos) out.resize(nul);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return std::string(text::trim_blanks(out));
}

}  // namespace

CatrasReader::CatrasReader(std::string content, std::string file)
    : ConvertedSource(std::move(file), "CATRAS", "negative value", "negative values"), content_(std::move(content)) {}

bool CatrasReader::looks_like(std::string_view b) {
    if (b.size() < kRecord || b.substr(kSignature, 3) != "CAT") return false;
    if (byte(b, kVariable) > static_cast<unsigned>(Variable::latewood) ||
        byte(b, kKind) > static_cast<unsigned>(Kind::chronology))
        return false;
    const std::size_t values = 2 * std::size_t{u16(b, kCount)};
    const std::size_t records = (values + kRecord - 1) / kRecord;
    if (b.size() == kRecord + values) return true;  // written without padding
    return b.size() % kRecord == 0 && b.size() >= kRecord * (1 + records) &&
           b.size() <= kRecord * (1 + kMaxBlocks * records);
}

std::size_t CatrasReader::value_count_bound() const {
    return content_.size() >= kRecord ? u16(content_, kCount) : 0;
}

bool CatrasReader::next(SeriesRead& s) {
    if (done_) return false;
    done_ = true;
    const std::string_view b = content_;
    if (b.size() < kRecord)
        read_error("its header", "the file holds " + std::to_string(b.size()) + " bytes, less than the " +
                                     std::to_string(kRecord) + " of a header");
    const std::size_t n = u16(b, kCount);
    const std::size_t held = (b.size() - kRecord) / 2;
    if (held < n)
        read_error("its values", "the header counts " + std::to_string(n) + " rings, but the file ends after " +
                                     std::to_string(held) + " values");
    if (byte(b, kNumberFormat) != 1)
        read_error("its header", "the number format of the values (byte 66) is " +
                                     std::to_string(byte(b, kNumberFormat)) +
                                     "; only 1, whole hundredths of a millimetre in 16 bits, is known here");
    std::vector<ReadDetail> details;
    const auto variable = static_cast<Variable>(byte(b, kVariable));
    const auto kind = static_cast<Kind>(byte(b, kKind));
    const std::int32_t year = s16(b, kFirstYear);
    if (variable != Variable::ring_width) {
        details.push_back({1, "series of earlywood or latewood widths skipped",
                           "series of earlywood or latewood widths skipped"});
        finish(std::move(details));  // ends the run: the file's one series is skipped
        return false;
    }
    if (kind == Kind::tree_curve || kind == Kind::chronology) details.push_back({1, "of them a mean curve", "of them mean curves"});
    if (year == 0) details.push_back({1, "without dates, placed from year 1", "without dates, placed from year 1"});

    std::string name = text_field(b, kKeyCode, kKeyCodeSize);
    if (name.empty()) name = text_field(b, kTitle, kTitleSize);
    std::vector<std::int64_t> rings;
    rings.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int16_t v = s16(b, kRecord + 2 * k);
        rings.push_back(v < 0 ? kMissingRing : std::int64_t{v} * 10);
    }
    // Years before 1 have no year 0 in the file: -1 is 1 BC, the program's 0.
    const std::int32_t first = year == 0 ? 1 : year < 0 ? year + 1 : year;
    fill(s, name, first, rings);
    finish(std::move(details));
    return true;
}

}  // namespace tarnik
