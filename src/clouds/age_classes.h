#pragma once
// The age class definition dialog of the dot-cloud display: random, automatic or
// manual classes, the spline bandwidth of every class, the review and the record
// of the accepted definition in the report file.

#include <cstdint>

#include "clouds/random_partition.h"
#include "console/console.h"
#include "console/textfile.h"
#include "data/cloud_store.h"

namespace tarnik::clouds {

// The data's age range as the dialog shows it.
struct AgeRange {
    std::int32_t min_age = 0;    // smallest first cambial age
    std::int32_t max_age = 0;    // largest last cambial age
    std::int32_t depth3_age = 0; // highest age with 3 or more series
};

// Dialog state kept for the whole run.
struct AgeClassDialogState {
    bool automatic = false;           // the last definition was automatic (not manual)
    bool last_logical = false;        // an unreadable t/f answer keeps the previous one
    std::int32_t jdt_all = 0;         // the one request of the automatic bandwidth mode
    Ran1State ran;
    RandomDialogAnswers random;
};

// Runs the dialog until a definition is accepted; fills the age class table and
// classnum of the store and writes the record to the report file.
void define_age_classes(Console& con, TextFile& report, CloudStore& cs, AgeClassDialogState& st,
                        const AgeRange& range);

// The pieces of the dialog, used by define_age_classes.
// Mode selection and the chosen definition; false when the definition must start again.
bool define_classes_once(Console& con, TextFile& report, CloudStore& cs, AgeClassDialogState& st,
                         const AgeRange& range);
// Bandwidth dialog: fills jdt(1..classnum).
void bandwidth_dialog(Console& con, CloudStore& cs, AgeClassDialogState& st);
// The answer to the review of the definition.
enum class ReviewChoice {
    accepted,           // also any number other than 1 or 2
    redefine_classes,   // answer 1
    change_bandwidths,  // answer 2
};
ReviewChoice review_classes(Console& con, const CloudStore& cs, AgeClassDialogState& st);
// Record of the accepted definition in the report file.
void record_classes(TextFile& report, const CloudStore& cs, const AgeClassDialogState& st);

}  // namespace tarnik::clouds
