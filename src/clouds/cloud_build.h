#pragma once
// The build of the dot-cloud display: every class's cloud from the value store,
// the size checks, the bandwidth of every class, the fit of every cloud, the
// report lines and the axis ranges, ticks and labels of the plot.

#include <cstdint>

#include "clouds/dot_cloud_state.h"
#include "console/console.h"
#include "console/textfile.h"
#include "data/analysis_variable.h"
#include "data/stores.h"

namespace tarnik::clouds {

enum class BuildResult {
    Built,        // clouds, splines, ranges and labels are ready to draw
    Redefine,     // the age classes must be defined again
    NothingLeft,  // the user kept only the classes before the first one too small to fit, and there are none
};

// The cloud of class `start`..`stop`: for every series in directory order, its
// rings of those ages in ascending age, each as (calendar year, value). Returns
// the number of points, which may exceed CloudMax; then nothing is stored.
std::int64_t collect_cloud(const Stores& st, std::int32_t start, std::int32_t stop, CloudClass& out);

// The axes of a cloud plot for data in xmin..xmax (years) and ymin..ymax: X to
// whole decades around the years, Y to whole units, ticks by the widths. Used by
// the dot-cloud display and the single age-class view alike.
void set_cloud_axes(plot::PlotAppearance& ap, float xmin, float xmax, float ymin, float ymax);

// The Y label of a cloud plot of the analysis variable.
const char* cloud_y_label(AnalysisVariable ivar);

// The whole build (also run by RESET).
BuildResult build_clouds(Console& con, const Stores& st, TextFile& report, DotCloudState& s, AnalysisVariable ivar);

}  // namespace tarnik::clouds
