#include "input/xls.h"

#include <freexl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

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

struct Handle {
    const void* h = nullptr;
    ~Handle() {
        if (h) freexl_close(h);
    }
};

}  // namespace

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

std::uint64_t XlsReader::declared_cells(std::string_view s) {
    std::uint64_t cells = 0;
    for (std::size_t at = 0; at + 4 <= s.size();) {
        const std::uint32_t id = u16(s, at), length = u16(s, at + 2);
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

void XlsReader::read_table() {
    if (ole2::has_stream(content_, "EncryptedPackage")) encrypted();
    auto stream = ole2::stream(content_, "Workbook");
    if (!stream) stream = ole2::stream(content_, "Book");
    if (!stream) workbook_error("its OLE2 container", "it holds no workbook stream that can be read");
    if (const std::uint64_t cells = declared_cells(*stream); cells > kMaxDeclaredCells)
        workbook_error("its workbook records", "its sheets declare " + std::to_string(cells) +
                                                   " cells, more than the " + std::to_string(kMaxDeclaredCells) +
                                                   " a workbook may have");
    stream.reset();
    MemoryFile copy(content_);
    if (!copy.ok()) workbook_error("its OLE2 container", "there is no room for the copy the workbook library reads");
    Handle handle;
    const int opened = freexl_open(copy.path().c_str(), &handle.h);
    if (opened != FREEXL_OK) workbook_error("its OLE2 container", freexl_problem(opened));
    unsigned int info = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        encrypted();
    if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0) no_worksheet();
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle.h, 0, &name) != FREEXL_OK || !name) name = "";
    set_sheet(std::string(name).substr(0, 256));
    set_other_sheets(static_cast<std::int32_t>(std::min<unsigned int>(info - 1, INT32_MAX)));
    read_sheet(handle.h);
    content_ = {};
}

void XlsReader::read_sheet(const void* handle) {
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        workbook_error("its workbook records", "its first sheet cannot be read");
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                cell_error(r + 1, c + 1, "the cell cannot be read");
            SheetCell cell;
            switch (v.type) {
            case FREEXL_CELL_INT: cell = {SheetCell::Kind::number, static_cast<double>(v.value.int_value), {}}; break;
            case FREEXL_CELL_DOUBLE: cell = {SheetCell::Kind::number, v.value.double_value, {}}; break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
                cell = {SheetCell::Kind::text, 0, v.value.text_value ? v.value.text_value : ""};
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME: cell = {SheetCell::Kind::other, 0, "a date"}; break;
            case FREEXL_CELL_TIME: cell = {SheetCell::Kind::other, 0, "a time"}; break;
            default: continue;
            }
            this->cell(r + 1, c + 1, cell);
        }
    }
    end_sheet();
}

}  // namespace tarnik
