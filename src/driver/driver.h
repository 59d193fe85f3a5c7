#pragma once
// The program driver: banner, input dialogs, reading cycle, data summary and the
// Main Program Menu.

#include <cstdint>
#include <string>

#include "console/console.h"

namespace tarnik {

// The version the banner shows.
inline constexpr const char* kProgramVersion = "25v3e";

// Runs the whole dialog. Returns the exit status of a normal end; ends early by
// throwing EndOfInput, ProgramEnd or InternalError (handled in main).
int run_program(Console& con);

// The report file's name, in the input's folder: the input's base name (after
// its last '/', a folder's trailing '/' dropped) up to its first "." or blank,
// looking at its first 20 characters only, followed by "_Tarnik"
// ("data/ca533.rwl" gives "data/ca533_Tarnik", "data/lab/" "data/lab_Tarnik").
std::string report_file_name(const std::string& input_name);

}  // namespace tarnik
