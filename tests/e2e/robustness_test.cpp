// Hostile answers at every prompt of the program. Each path of a row leads to
// the row's prompt with ordinary answers; each hostile input is then tried there
// in a run of its own, followed by the row's follow-up answers and the end of
// input. The program must end by itself in time, without a signal, with one of
// its own exit statuses (and in a sanitizer build without a report).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik {
namespace {

using test::run_tarnik;
using test::TempDir;

enum Kind { kNumber, kReal, kText };  // what the prompt reads

using Path = std::vector<std::string>;

struct Row {
    std::string name;
    std::vector<Path> paths;             // answers that lead to the prompt, one run each
    std::string prompt;                  // the prompt that each path ends at
    std::vector<std::string> then = {};  // answers after the hostile one
    Kind kind = kNumber;                 // kReal: also tiny and huge reals
};
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

// Hostile inputs: one run each. Every line goes to whatever prompt is asked at
// that moment: the same prompt again when the answer is refused, the next one
// when it is taken. The first input is empty: the input ends at the prompt.
std::vector<std::vector<std::string>> hostile_inputs(Kind kind) {
    std::vector<std::vector<std::string>> in = {
        {}, {"-7", "0"}, {"99999999999", "2147483648", "-2147483649", "2147483647"}, {"-2147483648"}};
    // A sanitizer build runs five times slower: there a number prompt gets only
    // answers it takes; refused ones reach only the parsers, which the fuzz
    // replays cover in that build.
#ifdef TARNIK_SANITIZER_BUILD
    const bool refused_too = kind == kText;
#else
    const bool refused_too = true;
#endif
    if (refused_too) {
        in.push_back({""});
        in.push_back({std::string("x\x01\x7f\xff\xfe\x1b[2J\0z ,.t", 15), std::string(100000, '7')});
    }
    if (kind == kReal) in.push_back({"1e-30", "-4e38", "1.0e300"});
    return in;
}

// A path followed by more answers.
Path after(Path path, std::initializer_list<std::string> more) {
    path.insert(path.end(), more.begin(), more.end());
    return path;
}

// The paths to several options of one menu.
std::vector<Path> each(const Path& menu, std::initializer_list<const char*> options) {
    std::vector<Path> paths;
    for (const char* option : options) paths.push_back(after(menu, {option}));
    return paths;
}

std::string ind(const char* s) { return std::string(13, ' ') + s; }

// Paths through the program on the example file ca533.rwl.
const Path kRaw = {"ca533.rwl", "f", "1"};               // Main Program Menu
const Path kOffsets = {"ca533.rwl", "t", "offsets.txt"};  // offset method menu
const Path kSeries = after(kRaw, {"1"});                  // series display menu
const Path kRcs = {"ca533.rwl", "f", "3"};                // RCS spline menu
const Path kClouds = after(kRaw, {"3"});                  // class mode prompt
const Path kAuto = after(kClouds, {"a", "1", "10", "5", "30", "t"});
const Path kPlot = after(kAuto, {"a", "-10", "t", ""});  // plot menu
const Path kSingle = after(kPlot, {"55", "1"});         // view menu
const Path kTinyPlot = {"two.rwl", "f", "1", "3", "m", "1", "1", "5", "t", "a", "0", "t", ""};

const std::string kSeriesMenu = ind("Enter option number > "), kPlotMenu = "              enter option number : ";
const std::string kTo = ind("to > "), kPause = ind("Hit RETURN to continue : "), kTF = ind("Enter [T]rue or [F]alse > ");
const std::string kPause15 = "  " + kPause, kGraphics = "Enter graphics output file name: ";
const std::string kRcsParameter = ind("Enter spline parameter           : ");
const std::string kSelection = ind("Enter Selection : "), kFileName = ind("Enter the name of the output file : ");
const std::string kRedefine = ind("Redefine Dot Cloud parameters     [2] : ");
const std::string kDisplay = "     >>> Hit Return to Display Plot <<<", kTryAgain = "Hit RETURN to try again ";
const std::string kSymbol = ind("Select new SYMBOL style [0-126] <32 = no symbol> : ");
const Path kRedraw = {"0"};
const Path kCloudRedraw = {"0", ""};  // the dot clouds pause before they draw
const Path kRedrawAfterClass = {"-1", "0", ""};

std::vector<Row> rows() {
    return {
        // Start-up and reading.
        {"InputFile", {{}}, "Enter raw ring width file  name : ", {}, kText},
        {"PithQuestion", {{"ca533.rwl"}}, "[t]rue-[f]alse             : "},
        {"PithFile", {{"ca533.rwl", "t"}}, "Enter pith offset file name : ", {}, kText},
        {"PithMethod", {kOffsets}, "Enter option number             : "},
        {"PithMethodPause", {after(kOffsets, {"9"})}, " Hit RETURN and try again."},
        {"PithFormat", {after(kOffsets, {"2"})}, "[e.g.,(2x,i3)]                  : ", {"(i4)", "1"}, kText},
        {"TransformationMenu", {{"ca533.rwl", "f"}, after(kRaw, {"4"})}, ind("Enter a value between   [1-3]  : ")},
        {"SplineParameter", {{"ca533.rwl", "f", "2"}}, ind("Enter spline parameter          : ")},
        {"MainMenu", {kRaw}, "Enter option [1-5] : "},
        {"ReadErrorPause", {{"bad.rwl", "f", "1"}}, ind("Hit RETURN to Terminate program : ")},
        // Pauses after a refused answer, and where a dialog cannot go on.
        {"Pause",
         {after(kRaw, {"9"}), after(kSeries, {"5"}), after(kSeries, {"50"}), after(kSeries, {"66", "2"}),
          after(kClouds, {"x"}), after(kClouds, {"a", "1", "10", "0"}), after(kClouds, {"m", "2", "0"}),
          after(kClouds, {"m", "2", "5", "1"}), after(kPlot, {"66", "9"}), after(kPlot, {"66", "4", "stats.txt"}),
          {"two.rwl", "f", "1", "3", "a", "1", "3"}, {"one.rwl", "f", "1", "3", "r"}},
         kPause},
        {"WidePause", {after(kPlot, {"50"}), after(kSingle, {"-1", "44"}), after(kSingle, {"50"})}, kPause15},
        // Regional curve standardisation.
        {"RcsParameter", {kRcs, {"two.rwl", "f", "3"}}, kRcsParameter},
        // Rings of a single cambial age have no regional curve: the widths stay raw.
        {"RcsTooFewAges", {{"one.rwl", "f", "3"}}, "Enter option [1-5] : "},
        {"RcsMenus", {after(kRcs, {"-10"}), after(kRcs, {"-10", "-1", "f", "f"})}, kSeriesMenu},
        {"RcsFitColour", {after(kRcs, {"-10", "5"})}, ind("Select new RCS LINE color: [0-15] : "), kRedraw},
        {"RcsRecalculateOrSave", {after(kRcs, {"-10", "-1"}), after(kRcs, {"-10", "-1", "f"})}, kTF},
        // Series displays and their appearance options.
        {"SeriesMenu", {kSeries}, kSeriesMenu},
        {"SeriesMenuRedrawn", {after(kRaw, {"2"}), {"one.rwl", "f", "1", "1"}}, kSeriesMenu, kRedraw},
        {"SeriesBackground", {after(kSeries, {"1"})}, ind("Select new BACKGROUND color [0/1/2] : "), kRedraw},
        {"SeriesRed", {after(kSeries, {"1", "2"})}, ind("Enter RED value [0-255] > "), {"0", "0", "0"}},
        {"SeriesBlue", {after(kSeries, {"1", "2", "0", "0"})}, ind("Enter BLUE value [0-255] > "), kRedraw},
        {"SeriesFrameColour", {after(kSeries, {"2"})}, ind("Select new FRAME color [0-15] : "), kRedraw},
        {"SeriesLineColour", {after(kSeries, {"3"})}, ind("Select new LINE color: [0-15] : "), kRedraw},
        {"SeriesTextColour", {after(kSeries, {"4"})}, ind("Select new TEXT color: [0-15] : "), kRedraw},
        {"SeriesLineStyle", {after(kSeries, {"6"})}, ind("Change LINE style: Enter a value [1-8] > "), kRedraw},
        // Axis limits and major ticks are reals, minor ticks integers.
        {"SeriesAxis", each(kSeries, {"8", "10", "14", "15", "16", "17"}), kTo, kRedraw, kReal},
        {"SeriesMinorTicks", each(kSeries, {"9", "11"}), kTo, kRedraw},
        {"ExportMenu", {after(kSeries, {"66"}), after(kPlot, {"66"})}, kSelection},
        {"PostScriptName", {after(kSeries, {"77"}), after(kSeries, {"88"}), after(kPlot, {"88", ""}), after(kSingle, {"77"})},
         kGraphics, {}, kText},
        // Age class definition.
        {"ClassMode", {kClouds}, ind("Enter either [r]andom [a]utomatic or [m]anual  :  "), {}, kText},
        {"RandomCount", {after(kClouds, {"r"})}, ind("Value cannot exceed [50]   : ")},
        {"RandomStart", {after(kClouds, {"r", "4"})}, ind("[   1,1343] : ")},
        {"RandomStop", {after(kClouds, {"r", "4", "1"})}, ind("[   2,1343] : ")},
        {"RandomSeed", {after(kClouds, {"r", "4", "1", "100"})},
         ind("Enter seed for random number generator [any integer] : "), {"a", "20", "t", ""}},
        {"AutoStart", {after(kClouds, {"a"})}, ind("Enter the start age in the range [   1,1343]: ")},
        {"AutoStop", {after(kClouds, {"a", "1"})}, ind("Enter the stop age in the range  [   1,1343]: ")},
        {"AutoIncrement", {after(kClouds, {"a", "1", "10"})}, ind("Enter the age increment                     : ")},
        {"AutoTerminal", {after(kClouds, {"a", "1", "10", "5"})}, ind("Enter the terminal age limit. (must be < 1007) : ")},
        {"AutoOrderPause", {after(kClouds, {"a", "10", "5"})}, ind("Hit RETURN to re-enter stop and start ages : ")},
        {"AutoConfirm", {after(kClouds, {"a", "1", "10", "5", "30"})}, ind("Is this ok? [t]rue or [f]alse : ")},
        {"ManualCount", {after(kClouds, {"m"})}, ind("Enter the number of age classes to plot  :  ")},
        {"ManualStartStop", {after(kClouds, {"m", "2"}), after(kClouds, {"m", "2", "5"})}, ind("for age class   1 : ")},
        {"SmallClass",
         {after(kClouds, {"m", "1", "1342", "1343", "t", "a", "0", "t"}), {"one.rwl", "f", "1", "3", "m", "1", "1", "1", "t", "a", "0", "t"}},
         kRedefine},
        {"BandwidthMode", {kAuto}, ind("Enter [a]utomatic or [m]anual   :   "), {}, kText},
        {"BandwidthAll", {after(kAuto, {"a"})}, ind("Enter the spline parameter: "), {"t", ""}},
        {"BandwidthClass", {after(kAuto, {"m"})}, ind("Enter spline parameter for age class   1     1-  10 : "),
         {"0", "0", "0", "0", "t", ""}},
        {"SmallBandwidthPause", {after(kAuto, {"a", "1", "t"})}, ind("Hit return to CONTINUE\n\n")},
        {"Review", {after(kAuto, {"a", "-10"})}, ind("Is this ok? [t]rue or [f]alse ")},
        {"ReviewChoice", {after(kAuto, {"a", "-10", "f"})}, ind("Change Spline Options           [2] :")},
        {"DisplayPause", {after(kAuto, {"a", "-10", "t"}), after(kPlot, {"99"})}, kDisplay},
        // Dot-cloud plot menu.
        {"PlotMenu", {kPlot, kSingle}, kPlotMenu},
        {"CloudBackground", {after(kPlot, {"1"})}, ind("Select new BACKGROUND color [0/1/2] : "), kCloudRedraw},
        {"CloudGreen", {after(kPlot, {"1", "2", "9"})}, ind("Enter GREEN value [0-255] > "), {"9", "0", ""}},
        {"CloudFrameColour", {after(kPlot, {"2"})}, ind("Select new FRAME color [0-15] : "), kCloudRedraw},
        {"CloudLineClass", {after(kPlot, {"3"})}, ind("Enter the classnum to color: "), kRedrawAfterClass},
        {"CloudLineColour", {after(kPlot, {"3", "2"})}, ind("Select new LINE color: [0-15] : "), kRedrawAfterClass},
        {"CloudTextColour", {after(kPlot, {"4"})}, ind("Select new TEXT color: [0-15] : "), kCloudRedraw},
        {"CloudSymbolColour", {after(kPlot, {"5", "0"})}, ind("Select new SYMBOL color: [0-15] : "), kRedrawAfterClass},
        {"CloudLineStyle", {after(kPlot, {"6", "1"})}, ind("Select new LINE style [1-8] : "), kRedrawAfterClass},
        {"CloudSymbolClass", {after(kPlot, {"7"})}, ind("Enter the classnum to change : "), {"5", "-1", "0", ""}},
        {"CloudSymbolType", {after(kPlot, {"7", "5"})}, kSymbol, kRedrawAfterClass},
        {"CloudAxis", each(kPlot, {"8", "10", "14", "15", "16", "17"}), kTo, kCloudRedraw, kReal},
        {"CloudMinorTicks", each(kPlot, {"9", "11"}), kTo, kCloudRedraw},
        {"CloudZAxis", each(after(kPlot, {"33", ""}), {"12", "18", "19"}), kTo, kCloudRedraw, kReal},
        {"CloudZMinorTicks", each(after(kPlot, {"33", ""}), {"13"}), kTo, kCloudRedraw},
        {"Altitude", {after(kPlot, {"33", "", "20"})}, "              change altitude from  80.00 to : ", {""}, kReal},
        {"Azimuth", {after(kPlot, {"33", "", "21"})}, "              change azimuth from 125.00 to : ", {""}, kReal},
        // Normalisation.
        {"NormalisePeriod", {after(kPlot, {"44"})}, "Enter a lower case [y]es or [n]o  : ", {}, kText},
        {"NormaliseFirst", {after(kPlot, {"44", "y"})}, "New First Year? : ", {}, kReal},
        {"NormaliseLast", {after(kPlot, {"44", "y", "1200"})}, "New Last Year?  : ", {}, kReal},
        {"NormaliseMethod", {after(kPlot, {"44", "n"})}, "Enter [1 or 2] :    ", kCloudRedraw},
        {"NormalisePause", {after(kPlot, {"44", "y", "9000"}), after(kPlot, {"44", "n", "7"})}, kTryAgain},
        {"NormaliseAnswerPause", {after(kPlot, {"44", "x"})}, "Hit RETURN to continue "},
        // Single age-class view.
        {"SingleSelect", {after(kPlot, {"55"})}, "enter selection : "},
        {"SingleSelectPause", {after(kPlot, {"55", "9"})}, "  Hit RETURN to continue : "},
        {"SingleBoundsColour", {after(kSingle, {"3"})}, ind("Change Error Bounds color [2] :"), {"7", "0"}},
        {"SingleLineColour", {after(kSingle, {"3", "2"})}, ind("Select new LINE color [0-15] : "), kRedraw},
        {"SingleLineStyle", {after(kSingle, {"6", "1"})}, ind("Select new LINE style [1-8] : "), kRedraw},
        {"SingleSymbolColour", {after(kSingle, {"5"})}, ind("Select new SYMBOL color [0-15]  : "), kRedraw},
        {"SingleSymbolType", {after(kSingle, {"7"})}, kSymbol, kRedraw},
        {"SingleYMax", {after(kSingle, {"16"})}, kTo, kRedraw, kReal},
        // Two short series (no age with 3 series) and a single ring.
        {"TinyPlotMenu", {kTinyPlot}, kPlotMenu, kCloudRedraw},
        {"TinySingleView", {after(kTinyPlot, {"55", "1"})}, kPlotMenu, kRedraw},
        // Cloud export.
        {"ExportName", {after(kPlot, {"66", "3"})}, kFileName, {"7"}, kText},
        {"SingleExportName", {after(kSingle, {"66"})}, kFileName, {}, kText},
        {"CloudExportNotNormalised", {after(kPlot, {"66", "5"})}, ind("Hit any other key to save data.\n"), {}, kText},
    };
}

// In a sanitizer build leaks at an early end of input are not checked, and the
// plotting library finds only its null and PostScript drivers (the uninstrumented
// cairo drivers triple the time of a run; the normal build runs them).
std::map<std::string, std::string> run_environment() {
    std::map<std::string, std::string> env = {{"ASAN_OPTIONS", "detect_leaks=0:malloc_context_size=5"}};
#ifdef TARNIK_PLPLOT_DRV_DIR
    static const TempDir drivers;
    static const bool linked = [] {
        const std::filesystem::path from(TARNIK_PLPLOT_DRV_DIR);
        for (const char* name : {"null.so", "null.driver_info", "ps.so", "ps.driver_info"}) {
            if (!std::filesystem::exists(from / name)) return false;
            std::filesystem::create_symlink(from / name, drivers / name);
        }
        return true;
    }();
    if (linked) env["PLPLOT_DRV_DIR"] = drivers.path().string();
#endif
    return env;
}

class HostileAnswers : public ::testing::TestWithParam<Row> {};

TEST_P(HostileAnswers, EndTheRunCleanly) {
    const Row& row = GetParam();
    for (const Path& path : row.paths) {
        for (const auto& hostile : hostile_inputs(row.kind)) {
            TempDir dir;
            dir.copy_data("ca533.rwl");
            std::string offsets = "pith offsets\n";
            for (int i = 0; i < 34; ++i) offsets += std::to_string(i % 7) + "\n";
            dir.write("offsets.txt", offsets);
            dir.write("bad.rwl", "title\nA       1901   100   1x0   999\n");
            dir.write("two.rwl", "two series\nA       1901   100   110   120   130   140   150   160   170   180\n"
                                 "A       1910   999\nB       1903   200   210   220   230   240   250   260   999\n");
            dir.write("one.rwl", "one ring\nC       1955   123   999\n");

            std::string input, shown;
            for (const auto& a : path) input += a + "\n";
            for (const auto& a : hostile) {
                input += a + "\n";
                shown += "\"" + a.substr(0, 20) + "\" ";
            }
            if (!hostile.empty())
                for (const auto& a : row.then) input += a + "\n";
            SCOPED_TRACE("path " + std::to_string(&path - row.paths.data() + 1) + ", answers " +
                         (hostile.empty() ? std::string("none") : shown));
            const auto r = run_tarnik(dir, input, 60, run_environment());
            ASSERT_FALSE(r.timed_out) << r.out.substr(r.out.size() > 3000 ? r.out.size() - 3000 : 0);
            EXPECT_TRUE(r.status >= 0 && r.status <= 3) << "status " << r.status << "\n" << r.err;
            if (hostile.empty()) {
                // The path leads to the prompt, and the input ends there: the run
                // ends with the notice and status 3 (the closing pause of a failed
                // run ends it without a notice, with that run's status).
                const std::string last = row.prompt + "\n";
                if (r.out.ends_with(last)) continue;
                EXPECT_TRUE(test::contains_block(r.out, last + " End of input: no more answers can be read"))
                    << r.out.substr(r.out.size() > 400 ? r.out.size() - 400 : 0);
                EXPECT_EQ(r.status, 3);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Prompts, HostileAnswers, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& info) { return info.param.name; });

}  // namespace
}  // namespace tarnik
