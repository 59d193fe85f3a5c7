#pragma once
// The drawing of the dot-cloud display: above, every class's cloud as symbols
// and its spline as a line; below, a legend of the classes and their bandwidths
// or a three-dimensional view of all class splines.

#include <cstdint>
#include <string>
#include <vector>

#include "clouds/dot_cloud_state.h"
#include "console/console.h"

namespace tarnik::clouds {

// One legend text as the plotting library places it beside the lower panel.
struct LegendText {
    std::string side;      // "lv" (left) or "rv" (right)
    double disp = 0.0;     // displacement from the edge, in character heights
    double pos = 0.0;      // position along the edge
    std::int32_t klass = 0;  // class number (its line colour is used)
    std::string text;
};

// The legend: up to 15 classes one line each (class 1 lowest), from 16 classes on
// four columns of "age: start-stop".
std::vector<LegendText> legend_layout(const CloudStore& cs);

// One complete drawing on s.device, after the pause before it.
void draw_dot_clouds(Console& con, const DotCloudState& s, const std::string& title);

}  // namespace tarnik::clouds
