#pragma once
// The store of the dot-cloud display, kept for the whole run: the cloud store
// shared with the normalisation, the single-class view and the export, the
// display's appearance and its own flags.

#include <array>
#include <cstdint>
#include <string>

#include "clouds/age_classes.h"
#include "clouds/cloud_fit.h"
#include "data/cloud_store.h"
#include "plot/appearance.h"

namespace tarnik::clouds {

inline constexpr const char* kScreenDevice = "Mac1";
inline constexpr const char* kXLabel = "re-dated cambial growth years";

struct DotCloudState {
    CloudStore cs;
    AgeClassDialogState dialog;
    CloudFitWork fit;

    plot::PlotAppearance ap;
    bool dark = false;  // dark background flag of the appearance
    float altitude = 80.0f, azimuth = 125.0f;
    std::string device = kScreenDevice;
    std::string y_label;
    bool view3d = false;       // the lower panel shows the 3-D view of the splines
    bool normalized = false;   // the clouds and splines are anomalies
    bool fits_viewed = false;  // the single-class view has been shown since the last build

    // Year span of the points of classes 1..k of the last build, for bandwidth
    // requests given as a percentage.
    std::array<float, mxnc> cloud_span{};
};

}  // namespace tarnik::clouds
