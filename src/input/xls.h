#pragma once
// The reader of Excel 97-2003 workbooks (.xls): an OLE2 compound file with a
// Workbook (or Book) stream of BIFF records, read through the FreeXL library.
// The first worksheet is read as a table (input/workbook_source.h); its cells
// hold numbers (a formula's saved result among them), text or dates.
//
// FreeXL keeps a cell slot for every cell each sheet declares (its DIMENSIONS
// record), at 16 bytes a cell, whether the cell holds anything or not. Before
// the library reads the file, the declared cells of all sheets are summed from
// the workbook stream: past kMaxDeclaredCells (256 MB of slots) the workbook
// is refused, so that no file can make the library take more memory. A record
// longer than BIFF allows is refused there too.
//
// FreeXL itself runs in a child process: on some damaged files it reads past
// its own buffers, so its work is kept apart, and what it found comes back
// through a pipe. A child that does not end normally means a damaged file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "input/workbook_source.h"

namespace tarnik {

class XlsReader : public WorkbookSource {
public:
    XlsReader(std::string content, std::string file);

    // An OLE2 compound file that holds a Workbook or Book stream, or an
    // encrypted package (which the reader refuses with its own message).
    static bool looks_like(std::string_view content);

    static constexpr std::uint64_t kMaxDeclaredCells = std::uint64_t{16} << 20;
    // No BIFF record holds more than this many bytes.
    static constexpr std::uint32_t kMaxRecord = 8224;
    // The cells the sheets of a workbook stream declare, summed; no value when
    // a record is longer than any BIFF record can be (the library would read
    // past its own buffers).
    static std::optional<std::uint64_t> declared_cells(std::string_view workbook_stream);

private:
    class Child;

    void read_table() override;
    // The checks of the workbook stream before the library reads the file.
    void check_stream() const;
    // The first sheet's cells as the child process sends them; false when
    // what it sends breaks off.
    bool read_cells(Child& child);

    std::string content_;
};

}  // namespace tarnik
