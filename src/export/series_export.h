#pragma once
// Saving all series of the value store from the series display: as a decadal
// file (one block of decade lines per series, readable again by the program's
// reader) or as a column table (one row per age or year, one column per series,
// with the sample depth). The file names are fixed and depend only on the
// alignment; an existing file is replaced.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/textfile.h"
#include "data/series_alignment.h"
#include "data/stores.h"

namespace tarnik::exporting {

// "AgeAligned.raw.DEC" / "Xdated.raw.DEC" (decadal) or ".INC" (column table).
std::string series_export_name(SeriesAlignment alignment, bool decadal);

// The "SAVE Data Options" menu; writes into `dir` (the working directory when
// empty) and returns on selection 3.
void series_save_menu(Console& con, const Stores& st, SeriesAlignment alignment,
                      const std::filesystem::path& dir = {});

// One series in decadal layout: `values` in millimetres, `start` the age or year
// of the first value, `marker` 999 (0.01 mm units) or -9999 (0.001 mm units).
void write_decadal_series(TextFile& out, std::span<const float> values, std::int32_t start, std::string_view id,
                          std::int32_t marker);

// The two files; false when the file could not be written completely.
// Each series starts at its first age or first year, as `alignment` says.
bool write_series_decadal(const Stores& st, SeriesAlignment alignment, const std::filesystem::path& file);
bool write_series_columns(const Stores& st, SeriesAlignment alignment, const std::filesystem::path& file);

}  // namespace tarnik::exporting
