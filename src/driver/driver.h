#pragma once
// The program driver: banner, input dialogs, reading cycle, data summary and the
// Main Program Menu.

#include "console/console.h"

namespace tarnik {

// Runs the whole dialog. Returns the exit status of a normal end; ends early by
// throwing EndOfInput, ProgramEnd or InternalError (handled in main).
int run_program(Console& con);

}  // namespace tarnik
