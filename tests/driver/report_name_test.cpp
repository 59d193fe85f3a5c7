// The report file's name: built from the input's base name and placed beside it.

#include <gtest/gtest.h>

#include "driver/driver.h"

namespace tarnik {
namespace {

TEST(ReportName, TheBaseNameBesideTheInput) {
    const struct {
        const char* input;
        const char* report;
    } cases[] = {
        {"ca533.rwl", "ca533_Tarnik"},
        {"data/ca533.rwl", "data/ca533_Tarnik"},
        {"../data/ca533.rwl", "../data/ca533_Tarnik"},
        {"/tmp/run/longdirectoryname/ca533.rwl", "/tmp/run/longdirectoryname/ca533_Tarnik"},
        {"old.v2/site 3.rwl", "old.v2/site_Tarnik"},  // dots and blanks of the folder do not count
        {"data/abcdefghijklmnopqrstuvwxy", "data/abcdefghijklmnopqrst_Tarnik"},
        {"data/lab/", "data/lab_Tarnik"},
        {"lab//", "lab_Tarnik"},
        {"data/.hidden.rwl", "data/_Tarnik"},
        {"/", "/_Tarnik"},
    };
    for (const auto& c : cases) EXPECT_EQ(report_file_name(c.input), c.report) << c.input;
}

}  // namespace
}  // namespace tarnik
