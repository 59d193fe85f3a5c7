#pragma once
// Helpers of the cloud tests: class contents of a cloud store and dialogs run on
// scripted answers with a report file.

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "console/textfile.h"
#include "data/cloud_store.h"
#include "support/test_support.h"

namespace tarnik::test {

// Class k gets a spline on every year first..last with values f(year) and the
// standard error se, and the given cloud points (year, value).
inline void set_class(CloudStore& cs, int k, int first, int last, const std::function<float(int)>& f,
                      const std::vector<std::pair<float, float>>& cloud = {}, float se = 0.0f) {
    const auto i = static_cast<std::size_t>(k - 1);
    CloudClass& c = cs.cls[i] = {};
    for (int y = first; y <= last; ++y)
        c.spline_year.push_back(float(y)), c.spline_value.push_back(f(y)), c.spline_se.push_back(se);
    for (auto [y, v] : cloud) c.cloud_year.push_back(y), c.cloud_value.push_back(v);
    cs.nps[i] = last - first + 1;
    cs.num[i] = static_cast<std::int32_t>(cloud.size());
    cs.classnum = std::max(cs.classnum, k);
}

struct Scripted {
    std::string out, report;  // console output and report file
};

// Runs fn(console, report) on the scripted answers.
template <class Fn>
Scripted scripted(std::string_view answers, Fn&& fn) {
    TempDir dir;
    Scripted r;
    {
        TextFile report((dir / "report").string());
        MemConsole mc(answers);
        fn(mc.con(), report);
        r.out = mc.output();
    }
    r.report = dir.read("report");
    return r;
}

}  // namespace tarnik::test
