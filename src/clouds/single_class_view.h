#pragma once
// The single age-class view: one class's cloud with its spline and the band of
// one standard error on either side, the fit statistics below, and a plot menu
// to change the appearance, pick another class, save the class splines with
// their standard errors, or save the plot (PDF, SVG, PNG or PostScript).

#include <cstdint>

#include "console/console.h"
#include "console/textfile.h"
#include "data/analysis_variable.h"
#include "data/cloud_store.h"
#include "plot/appearance.h"

namespace tarnik::clouds {

// Runs the view until the user answers its menu with a negative number. It
// draws on the dot-cloud display's appearance `ap` and changes it in place (its
// ranges and ticks are set anew whenever a class is chosen); the dark
// background flag is the view's own and starts light on every call. The cloud
// store is only read. `ivar` chooses the Y label. Returns the view's dark flag
// at the end: it belongs to the background the view leaves in `ap`.
bool run_single_class_view(Console& con, const CloudStore& cs, plot::PlotAppearance& ap, TextFile& report,
                           AnalysisVariable ivar);

}  // namespace tarnik::clouds
