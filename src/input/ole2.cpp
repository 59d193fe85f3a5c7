#include "input/ole2.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "input/text_helpers.h"

namespace tarnik::ole2 {
namespace {

constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFA;  // higher sector numbers are markers
constexpr std::size_t kHeaderDifat = 109;
constexpr std::size_t kEntrySize = 128;

std::uint32_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
std::uint32_t u32(std::string_view b, std::size_t at) { return u16(b, at) | u16(b, at + 2) << 16; }

// The kind of a directory entry, as its type byte says.
enum class EntryType : unsigned char { unused = 0, storage = 1, stream = 2, root = 5 };

// Where a stream's sectors are: regular sectors chained by the allocation
// table, or 64-byte sectors of the mini stream chained by the mini table.
enum class Sectors { regular, mini };

struct Entry {
    std::string name;  // ASCII letters only; other characters as '?'
    EntryType type = EntryType::unused;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
};

class Compound {
public:
    explicit Compound(std::string_view b) : b_(b) {}

    bool open() {
        if (b_.size() < 512 || !b_.starts_with(kSignature) || u16(b_, 0x1C) != 0xFFFE) return false;
        const std::uint32_t shift = u16(b_, 0x1E), mini_shift = u16(b_, 0x20);
        if ((shift != 9 && shift != 12) || mini_shift != 6) return false;
        size_ = std::size_t{1} << shift;
        version3_ = u16(b_, 0x1A) == 3;
        sectors_ = b_.size() / size_;  // the header's own sector included: a bound on every chain
        cutoff_ = u32(b_, 0x38);
        return read_fat() && read_directory();
    }

    const Entry* find(std::string_view name) const {
        for (const Entry& e : entries_)
            if (e.type == EntryType::stream && text::lower(e.name) == text::lower(name)) return &e;
        return nullptr;
    }

    std::optional<std::string> read(const Entry& e) const {
        if (e.size > b_.size()) return std::nullopt;  // no stream is larger than its file
        if (e.size >= cutoff_) return chain(e.start, e.size, Sectors::regular);
        if (!mini_ready_) return std::nullopt;
        return chain(e.start, e.size, Sectors::mini);
    }

private:
    std::optional<std::string_view> sector(std::uint32_t n) const {
        const std::uint64_t at = (std::uint64_t{n} + 1) * size_;
        if (n > kMaxRegular || at + size_ > b_.size()) return std::nullopt;  // whole sectors only
        return b_.substr(static_cast<std::size_t>(at), size_);
    }

    // The bytes of a chain of sectors from `start`, cut to `size`.
    std::optional<std::string> chain(std::uint32_t start, std::uint64_t size, Sectors sectors) const {
        const bool mini = sectors == Sectors::mini;
        const std::vector<std::uint32_t>& table = mini ? mini_fat_ : fat_;
        std::string out;
        const std::size_t unit = mini ? 64 : size_;
        const std::size_t limit = mini ? mini_stream_.size() / 64 + 1 : sectors_;
        std::uint32_t n = start;
        for (std::size_t steps = 0; out.size() < size; ++steps) {
            if (n == kEndOfChain || steps > limit || n >= table.size()) return std::nullopt;
            if (mini) {
                const std::uint64_t at = std::uint64_t{n} * 64;
                if (at >= mini_stream_.size()) return std::nullopt;
                out.append(std::string_view(mini_stream_).substr(static_cast<std::size_t>(at), unit));
            } else {
                const auto s = sector(n);
                if (!s) return std::nullopt;
                out.append(*s);
            }
            n = table[n];
        }
        out.resize(static_cast<std::size_t>(size));
        return out;
    }

    bool read_fat() {
        std::vector<std::uint32_t> fat_sectors;
        for (std::size_t i = 0; i < kHeaderDifat; ++i) {
            const std::uint32_t s = u32(b_, 0x4C + 4 * i);
            if (s <= kMaxRegular) fat_sectors.push_back(s);
        }
        std::uint32_t difat = u32(b_, 0x44);
        for (std::size_t steps = 0; difat <= kMaxRegular; ++steps) {
            const auto s = sector(difat);
            if (!s || steps > sectors_) return false;
            for (std::size_t i = 0; i + 4 < size_; i += 4)
                if (const std::uint32_t f = u32(*s, i); f <= kMaxRegular) fat_sectors.push_back(f);
            difat = u32(*s, size_ - 4);
        }
        if (fat_sectors.size() > sectors_) return false;
        for (std::uint32_t f : fat_sectors) {
            const auto s = sector(f);
            if (!s) return false;
            for (std::size_t i = 0; i + 4 <= s->size(); i += 4) fat_.push_back(u32(*s, i));
        }
        return true;
    }

    bool read_directory() {
        const std::string dir = directory_run();
        for (std::size_t at = 0; at + kEntrySize <= dir.size(); at += kEntrySize) {
            Entry e;
            const std::size_t length = std::min<std::size_t>(u16(dir, at + 64), 64);
            for (std::size_t i = 0; i + 2 < length; i += 2) {  // the length counts the closing 0
                const std::uint32_t c = u16(dir, at + i);
                e.name += c < 0x80 ? static_cast<char>(c) : '?';
            }
            e.type = static_cast<EntryType>(static_cast<unsigned char>(dir[at + 66]));
            e.start = u32(dir, at + 116);
            e.size = version3_ ? u32(dir, at + 120) : (std::uint64_t{u32(dir, at + 124)} << 32 | u32(dir, at + 120));
            entries_.push_back(std::move(e));
        }
        if (entries_.empty() || entries_[0].type != EntryType::root) return false;
        read_mini_stream();
        return true;
    }

    // The root entry holds the mini stream, whose sectors the mini table chains.
    // A file whose mini stream cannot be read still has its large streams.
    void read_mini_stream() {
        const Entry& root = entries_[0];
        if (root.size > 0 && root.size <= b_.size()) {
            auto mini = chain(root.start, root.size, Sectors::regular);
            auto table = chain(u32(b_, 0x3C), std::uint64_t{u32(b_, 0x40)} * size_, Sectors::regular);
            if (mini && table) {
                mini_stream_ = std::move(*mini);
                for (std::size_t i = 0; i + 4 <= table->size(); i += 4) mini_fat_.push_back(u32(*table, i));
                mini_ready_ = true;
            }
        }
    }

    // The directory's chain, read up to its end marker (its length is not recorded).
    std::string directory_run() const {
        std::string out;
        std::uint32_t n = u32(b_, 0x30);
        for (std::size_t steps = 0; n != kEndOfChain && steps <= sectors_ && n < fat_.size(); ++steps) {
            const auto s = sector(n);
            if (!s) break;
            out.append(*s);
            n = fat_[n];
        }
        return out;
    }

    std::string_view b_;
    std::size_t size_ = 512, sectors_ = 0;
    std::uint64_t cutoff_ = 4096;
    bool version3_ = true, mini_ready_ = false;
    std::vector<std::uint32_t> fat_, mini_fat_;
    std::vector<Entry> entries_;
    std::string mini_stream_;
};

}  // namespace

bool has_signature(std::string_view bytes) { return bytes.starts_with(kSignature); }

std::optional<std::string> stream(std::string_view bytes, std::string_view name) {
    Compound c(bytes);
    if (!c.open()) return std::nullopt;
    const Entry* e = c.find(name);
    if (!e) return std::nullopt;
    return c.read(*e);
}

bool has_stream(std::string_view bytes, std::string_view name) {
    Compound c(bytes);
    return c.open() && c.find(name) != nullptr;
}

}  // namespace tarnik::ole2
