#pragma once
// Saving the age-class clouds: the raw clouds, the class splines (as they were
// fitted or after normalisation) as column tables or as one index series per
// class, the fit statistics, and the splines with their standard errors.
//
// Every file is named by the user when it is opened; a name that cannot be
// written is reported and nothing is saved.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/textfile.h"
#include "data/cloud_store.h"

namespace tarnik::exporting {

// Asks for the name of an output file (again while the answer is empty) and
// creates it. Returns the name, or no value after telling the user that the file
// cannot be written.
std::optional<std::string> open_output_file(Console& con, TextFile& file);

// The cloud "SAVE Data Options" menu of the dot-cloud display. `normalized` is
// true once the class splines have been normalised; only then are the
// normalised layouts offered. Returns on choice 7, or on R at the notice that
// asks for a normalisation first.
void cloud_save_menu(Console& con, const CloudStore& cs, bool normalized);

// The splines of every class with their standard errors, one column triple per
// class, into one file named by the user. Returns false when nothing could be
// saved (the user has been told).
bool save_class_splines(Console& con, const CloudStore& cs);

// One series in index layout: identifier (6 columns), a year (4 columns) and ten
// value/count pairs per decade line, the values scaled so that the largest fits
// (the scaling is reported on the console). `depth` gives the count of each
// value; when it is empty or its first element is below 1 every count is 1.
void write_index_series(Console& con, TextFile& out, std::string_view id, std::int32_t first_year,
                        std::span<const float> values, std::span<const std::int32_t> depth = {});

}  // namespace tarnik::exporting
