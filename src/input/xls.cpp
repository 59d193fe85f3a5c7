#include "input/xls.h"

#include <fcntl.h>
#include <freexl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "input/ole2.h"

namespace tarnik {
namespace {

constexpr std::uint32_t kDimensions = 0x0200;     // BIFF3 to BIFF8
constexpr std::uint32_t kDimensionsBiff2 = 0x0000;

std::uint32_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

std::string freexl_problem(int code) {
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY: return "there is not enough memory to read it";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE: return "its OLE2 header is damaged";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY: return "its OLE2 sectors are damaged";
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return "it holds no workbook that can be read";
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX: return "its table of strings is damaged";
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER: return "its text is in a character set that cannot be read";
    case FREEXL_CRAFTED_FILE: return "its records are damaged";
    default: return "the workbook library fails with the code " + std::to_string(code);
    }
}

// A copy of the file's bytes in memory that FreeXL, which reads only named
// files, can open by a name; closed on the way out.
class MemoryFile {
public:
    explicit MemoryFile(std::string_view bytes) : fd_(memfd_create("tarnik-workbook", MFD_CLOEXEC)) {
        for (std::size_t at = 0; fd_ >= 0 && at < bytes.size();) {
            const ssize_t n = write(fd_, bytes.data() + at, bytes.size() - at);
            if (n <= 0) {
                close(fd_);
                fd_ = -1;
                break;
            }
            at += static_cast<std::size_t>(n);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    bool ok() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// What the child process that runs FreeXL tells the reader, in this order: the
// library's code for opening the file; when it opened, whether the workbook is
// obfuscated, its sheet count and the first sheet's name; then the first
// sheet's cells, each a kind, its row and column (from 0) and its value; last
// the end.
enum class Message : std::uint8_t { end, number, text, date, time, bad_cell, bad_sheet };

class ChildWriter {
public:
    explicit ChildWriter(int fd) : fd_(fd) {}
    template <class T>
    void put(const T& v) { bytes(&v, sizeof v); }
    void text(const char* s) {
        const std::uint32_t n = s ? static_cast<std::uint32_t>(std::strlen(s)) : 0;
        put(n);
        bytes(s, n);
    }
    void bytes(const void* p, std::size_t n) {
        for (const char* c = static_cast<const char*>(p); n > 0 && ok_;) {
            const ssize_t w = write(fd_, c, n);
            if (w <= 0) ok_ = false;
            else c += w, n -= static_cast<std::size_t>(w);
        }
    }
    bool ok() const { return ok_; }

private:
    int fd_;
    bool ok_ = true;
};

void send_sheet(const void* h, ChildWriter& out) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(h, 0) != FREEXL_OK || freexl_worksheet_dimensions(h, &rows, &columns) != FREEXL_OK) {
        out.put(Message::bad_sheet);
        return;
    }
    for (unsigned int r = 0; r < rows && out.ok(); ++r) {
        for (unsigned short c = 0; c < columns && out.ok(); ++c) {
            FreeXL_CellValue v;
            Message m = Message::bad_cell;
            if (freexl_get_cell_value(h, r, c, &v) == FREEXL_OK) {
                switch (v.type) {
                case FREEXL_CELL_INT:
                case FREEXL_CELL_DOUBLE: m = Message::number; break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT: m = Message::text; break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME: m = Message::date; break;
                case FREEXL_CELL_TIME: m = Message::time; break;
                default: continue;
                }
            }
            out.put(m);
            out.put(static_cast<std::uint32_t>(r));
            out.put(static_cast<std::uint32_t>(c));
            if (m == Message::number)
                out.put(v.type == FREEXL_CELL_INT ? static_cast<double>(v.value.int_value) : v.value.double_value);
            else if (m == Message::text) out.text(v.value.text_value);
            if (m == Message::bad_cell) return;
        }
    }
}

// The child's work: FreeXL reads the copy at `path`, the child sends what it
// found. Its error output goes nowhere: what the library may print about a
// damaged file is the reader's to say.
[[noreturn]] void run_child(const std::string& path, int out_fd) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 2);
    ChildWriter out(out_fd);
    const void* h = nullptr;
    const int opened = freexl_open(path.c_str(), &h);
    out.put(static_cast<std::int32_t>(opened));
    if (opened == FREEXL_OK) {
        unsigned int password = 0, sheets = 0;
        freexl_get_info(h, FREEXL_BIFF_PASSWORD, &password);
        if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK) sheets = 0;
        const char* name = nullptr;
        if (sheets == 0 || freexl_get_worksheet_name(h, 0, &name) != FREEXL_OK) name = nullptr;
        out.put(static_cast<std::uint32_t>(password == FREEXL_BIFF_OBFUSCATED));
        out.put(static_cast<std::uint32_t>(sheets));
        out.text(name);
        if (sheets > 0 && password != FREEXL_BIFF_OBFUSCATED) send_sheet(h, out);
        out.put(Message::end);
    }
    if (h) freexl_close(h);
    _exit(out.ok() ? 0 : 1);
}

}  // namespace

// The reading end of the pipe from the child, buffered; the child ended and
// waited for on the way out.
class XlsReader::Child {
public:
    Child(pid_t pid, int fd) : pid_(pid), fd_(fd) {}
    ~Child() {
        if (fd_ >= 0) close(fd_);
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    template <class T>
    bool get(T& v) { return bytes(&v, sizeof v); }
    bool text(std::string& s, std::size_t max) {
        std::uint32_t n = 0;
        if (!get(n) || n > max) return false;
        s.resize(n);
        return bytes(s.data(), n);
    }
    // Whether the child ended normally after all it sent was read.
    bool ended_well() {
        close(fd_);
        fd_ = -1;
        int status = 0;
        const bool waited = waitpid(pid_, &status, 0) == pid_;
        pid_ = -1;
        return waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    bool bytes(void* p, std::size_t n) {
        char* out = static_cast<char*>(p);
        while (n > 0) {
            if (at_ == end_) {
                const ssize_t r = read(fd_, buffer_.data(), buffer_.size());
                if (r <= 0) return false;
                at_ = 0;
                end_ = static_cast<std::size_t>(r);
            }
            const std::size_t k = std::min(n, end_ - at_);
            std::memcpy(out, buffer_.data() + at_, k);
            out += k, at_ += k, n -= k;
        }
        return true;
    }
    pid_t pid_;
    int fd_;
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    std::size_t at_ = 0, end_ = 0;
};

XlsReader::XlsReader(std::string content, std::string file)
    : WorkbookSource(std::move(file), "Excel 97-2003", "workbook"), content_(std::move(content)) {}

bool XlsReader::looks_like(std::string_view content) {
    if (!ole2::has_signature(content)) return false;
    // A damaged container is still a workbook when a directory entry names
    // the stream, whatever else is broken.
    static constexpr char16_t kName[] = u"Workbook";
    const std::string_view name(reinterpret_cast<const char*>(kName), 16);
    return ole2::has_stream(content, "Workbook") || ole2::has_stream(content, "Book") ||
           ole2::has_stream(content, "EncryptedPackage") || content.find(name) != std::string_view::npos;
}

std::optional<std::uint64_t> XlsReader::declared_cells(std::string_view s) {
    std::uint64_t cells = 0;
    for (std::size_t at = 0; at + 4 <= s.size();) {
        const std::uint32_t id = u16(s, at), length = u16(s, at + 2);
        if (length > kMaxRecord) return std::nullopt;
        const std::string_view body = s.substr(at + 4, std::min<std::size_t>(length, s.size() - at - 4));
        std::uint64_t rows = 0, columns = 0;
        if (id == kDimensions && body.size() >= 14) {
            rows = u16(body, 4) | std::uint64_t{u16(body, 6)} << 16;
            columns = u16(body, 10);
        } else if ((id == kDimensions || id == kDimensionsBiff2) && body.size() >= 8) {
            rows = u16(body, 2);
            columns = u16(body, 6);
        }
        cells += rows * columns;
        at += 4 + length;
    }
    return cells;
}

void XlsReader::check_stream() const {
    if (ole2::has_stream(content_, "EncryptedPackage")) encrypted();
    auto stream = ole2::stream(content_, "Workbook");
    if (!stream) stream = ole2::stream(content_, "Book");
    if (!stream) workbook_error("its OLE2 container", "it holds no workbook stream that can be read");
    // Every BIFF version begins its workbook with a BOF record (0x0009,
    // 0x0209, 0x0409 or 0x0809).
    if (stream->size() < 4 || (*stream)[0] != '\x09' || ((*stream)[1] & 0xF1) != 0)
        workbook_error("its workbook records", "the workbook stream does not begin as a workbook does");
    const auto cells = declared_cells(*stream);
    if (!cells)
        workbook_error("its workbook records", "a record is longer than the " + std::to_string(kMaxRecord) +
                                                   " bytes a record can have");
    if (*cells > kMaxDeclaredCells)
        workbook_error("its workbook records", "its sheets declare " + std::to_string(*cells) +
                                                   " cells, more than the " + std::to_string(kMaxDeclaredCells) +
                                                   " a workbook may have");
}

void XlsReader::read_table() {
    check_stream();
    MemoryFile copy(content_);
    int fds[2];
    if (!copy.ok() || pipe(fds) != 0)
        workbook_error("its OLE2 container", "there is no room for the copy the workbook library reads");
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        run_child(copy.path(), fds[1]);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        workbook_error("its OLE2 container", "no process can be started for the workbook library");
    }
    Child child(pid, fds[0]);
    const auto damaged = [&] {
        workbook_error("its workbook records", "the workbook library cannot read them: the file is damaged");
    };
    std::int32_t opened = 0;
    std::uint32_t obfuscated = 0, sheets = 0;
    std::string name;
    if (!child.get(opened)) damaged();
    if (opened != FREEXL_OK) workbook_error("its OLE2 container", freexl_problem(opened));
    if (!child.get(obfuscated) || !child.get(sheets) || !child.text(name, kMaxCellText)) damaged();
    if (obfuscated) encrypted();
    if (sheets == 0) no_worksheet();
    set_sheet(name.substr(0, 256));
    set_other_sheets(static_cast<std::int32_t>(std::min<std::uint32_t>(sheets - 1, INT32_MAX)));
    if (!read_cells(child) || !child.ended_well()) damaged();
    content_ = {};
}

bool XlsReader::read_cells(Child& child) {
    std::string text;
    for (;;) {
        Message m{};
        std::uint32_t r = 0, c = 0;
        if (!child.get(m)) return false;
        if (m == Message::end) break;
        if (m == Message::bad_sheet) workbook_error("its workbook records", "its first sheet cannot be read");
        if (!child.get(r) || !child.get(c)) return false;
        const std::int64_t row = std::int64_t{r} + 1, column = std::int64_t{c} + 1;
        SheetCell cell;
        switch (m) {
        case Message::number:
            cell.kind = SheetCell::Kind::number;
            if (!child.get(cell.number)) return false;
            break;
        case Message::text:
            if (!child.text(text, kMaxCellText)) return false;
            cell = {SheetCell::Kind::text, 0, text};
            break;
        case Message::date: cell = {SheetCell::Kind::other, 0, "a date"}; break;
        case Message::time: cell = {SheetCell::Kind::other, 0, "a time"}; break;
        default: cell_error(row, column, "the cell cannot be read");
        }
        this->cell(row, column, cell);
    }
    end_sheet();
    return true;
}

}  // namespace tarnik
