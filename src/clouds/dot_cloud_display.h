#pragma once
// The age-class dot-cloud display (Main Program Menu choice 3).

#include <cstdint>
#include <memory>
#include <string>

#include "console/console.h"
#include "console/textfile.h"
#include "data/analysis_variable.h"
#include "data/stores.h"

namespace tarnik::clouds {

struct DotCloudState;  // the display's store, kept for the whole run

class DotCloudDisplay {
public:
    DotCloudDisplay();
    ~DotCloudDisplay();
    // One visit: age class definition, build, drawing, plot menu, until the user
    // returns to the main menu. `title` is the input file name.
    void run(Console& con, const Stores& st, TextFile& report, AnalysisVariable ivar, const std::string& title);

private:
    std::unique_ptr<DotCloudState> state_;
};

}  // namespace tarnik::clouds
