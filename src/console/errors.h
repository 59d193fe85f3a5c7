#pragma once
// Ways a run ends early. They are thrown where the condition is found and caught
// once, in main, so that every open file is closed by its destructor on the way out.

#include <string>
#include <vector>

namespace tarnik {

// Standard input was closed at a prompt: the run cannot go on.
struct EndOfInput {};

// The run ends now; everything the user must see has been printed already.
struct ProgramEnd {
    int status = 0;
};

// An internal consistency check failed (a routine was called with a capacity or a
// count its callers never produce). main prints `lines`, shows `pause` as a prompt,
// waits for one answer line and ends the run with a non-zero status. When
// `pause_field` is true the answer is read as a two-column integer field and the
// prompt is shown again while the line cannot be read.
struct InternalError {
    std::vector<std::string> lines;
    std::string pause;
    bool pause_field = false;
};

// Text of the standard pause of the numerical routines.
inline constexpr const char* kProgrammerPause =
    "This should not happen. Press RETURN to stop. Call the nearest programmer.";

}  // namespace tarnik
