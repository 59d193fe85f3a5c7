// The real program's command line (--help, -h, --version, a bad argument), and
// every display and plot saved as PDF, SVG and PNG through options 77 and 88,
// the type chosen by the ending of the name.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace tarnik::test {
namespace {

constexpr std::string_view kBanner = "********* Program Tarnik ****";

// The dialog is answered as in a run, so a dialog that started would leave its report.
const std::string kAnswers = lines({"ca533.rwl", "f", "1", "1", "-1", "5"});

TEST(CommandLine, HelpPrintsTheUsage) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    for (const char* help : {"--help", "-h"}) {
        const RunResult r = run_tarnik(dir, kAnswers, 30, {}, {help});
        EXPECT_EQ(r.status, 0) << help;
        EXPECT_EQ(r.err, "") << help;
        EXPECT_TRUE(r.out.starts_with("Usage: tarnik\n")) << r.out;
        for (const char* part : {"tree-ring widths", "standard input", "decadal format", "Heidelberg", "TRiDaS", "CSV",
                                 "compact", "PAST4", "CATRAS", "Sheffield", "Besancon", "V format",
                                 ".xlsx, .ods and .xls workbooks", "a whole folder", "tarnik_screen.png",
                                 "PDF, SVG, PNG or PostScript", "Exit status: 0", "3 end of standard input",
                                 "man tarnik"})
            EXPECT_NE(r.out.find(part), std::string::npos) << help << ": " << part;
    }
}

TEST(CommandLine, HelpStartsNoDialog) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    for (const char* help : {"--help", "-h"}) {
        const RunResult r = run_tarnik(dir, kAnswers, 30, {}, {help});
        EXPECT_EQ(r.out.find(kBanner), std::string::npos) << help;
    }
    // No dialog ran: no report, no plot.
    EXPECT_FALSE(dir.exists("ca533_Tarnik"));
    EXPECT_FALSE(dir.exists("tarnik_screen.png"));
}

TEST(CommandLine, VersionPrintsTheProgramVersion) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult v = run_tarnik(dir, kAnswers, 30, {}, {"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, std::string("tarnik 25v3e (") + TARNIK_PROJECT_VERSION + ")\n");
    EXPECT_EQ(v.err, "");
}

TEST(CommandLine, VersionStartsNoDialog) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    run_tarnik(dir, kAnswers, 30, {}, {"--version"});
    // No dialog ran: no report, no plot.
    EXPECT_FALSE(dir.exists("ca533_Tarnik"));
    EXPECT_FALSE(dir.exists("tarnik_screen.png"));
}

// The program run with each argument it does not know.
struct Refusal {
    std::string named;  // the argument the message names
    RunResult result;
};

std::vector<Refusal> refusals(const TempDir& dir) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case cases[] = {{{"--bogus"}, "--bogus"}, {{"ca533.rwl"}, "ca533.rwl"}, {{"-v"}, "-v"},
                          {{""}, ""},               {{"--help", "x"}, "x"},       {{"--version", "--help"}, "--help"}};
    std::vector<Refusal> out;
    for (const Case& c : cases) out.push_back({c.named, run_tarnik(dir, lines({"ca533.rwl", "f", "1", "5"}), 30, {}, c.args)});
    return out;
}

TEST(CommandLine, AnyOtherArgumentEndsWithStatus2) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    for (const Refusal& r : refusals(dir)) EXPECT_EQ(r.result.status, 2) << r.named;
}

TEST(CommandLine, AnyOtherArgumentIsNamedBeforeTheUsageOnStandardError) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    const RunResult help = run_tarnik(dir, "", 30, {}, {"--help"});
    for (const Refusal& r : refusals(dir)) {
        EXPECT_EQ(r.result.out, "") << r.named;
        EXPECT_EQ(r.result.err, "tarnik: unknown argument '" + r.named + "'\n\n" + help.out) << r.named;
    }
}

TEST(CommandLine, AnyOtherArgumentStartsNoDialog) {
    TempDir dir;
    dir.copy_data("ca533.rwl");
    refusals(dir);
    EXPECT_FALSE(dir.exists("ca533_Tarnik"));
}

// Width and height of a PNG file from its header; 0 x 0 when it is no PNG.
std::pair<std::uint32_t, std::uint32_t> png_size(const std::string& png) {
    if (!png.starts_with("\x89PNG\r\n\x1a\n") || png.size() < 24 || png.substr(12, 4) != "IHDR") return {0, 0};
    const auto be32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(png[at + i]);
        return v;
    };
    return {be32(16), be32(20)};
}

// One run saves every display: the series by cambial age, the dot clouds, their
// 3-D view, the normalised clouds, the single class view and the regional
// curve, each to the type its name ends in, in colour (88) or black and white
// (77). The run takes about 15 s: the tests below share it.
class SavedPlots : public ::testing::Test {
protected:
    static const KeptRun& run() {
        return kept_run("saved_plots", {"ca533.rwl"}, lines({
            "ca533.rwl", "f", "1",
            "1", "88", "age.pdf", "88", "age.svg", "88", "/no/such/dir/age.png", "age.png", "-1",
            "3", "a", "1", "50", "150", "1000", "t", "a", "50", "t", "",
            "88", "", "clouds.pdf", "88", "", "clouds.svg", "88", "", "clouds.png", "77", "", "clouds_bw.png",
            "33", "", "88", "", "view3d.png", "33", "",
            "44", "n", "1", "", "88", "", "normalised.svg",
            "99", "", "55", "1", "88", "single.pdf", "77", "single.png", "-1", "-1",
            "4", "3", "100", "88", "rcs.png", "-1", "f", "f", "-1", "5"}));
    }
    void SetUp() override { ASSERT_EQ(run().result.status, 0) << run().result.out << run().result.err; }
};

TEST_F(SavedPlots, NothingGoesToStandardError) { EXPECT_EQ(run().result.err, ""); }

TEST_F(SavedPlots, EveryPlotIsSavedWithoutFailure) {
    const std::string& out = run().result.out;
    EXPECT_EQ(count_of(out, "Enter graphics output file name: "), 13u);
    EXPECT_EQ(count_of(out, "could not be written"), 0u);
}

TEST_F(SavedPlots, ANameThatCannotBeCreatedIsAskedForAgain) {
    EXPECT_EQ(count_of(run().result.out, " Cannot write the file /no/such/dir/age.png (No such file or directory): "
                                         "please enter another name.\n"), 1u);
}

TEST_F(SavedPlots, APdfNameGivesAPdfFile) {
    for (const char* pdf : {"age.pdf", "clouds.pdf", "single.pdf"}) EXPECT_TRUE(run().read(pdf).starts_with("%PDF-")) << pdf;
}

TEST_F(SavedPlots, AnSvgNameGivesAnSvgDocument) {
    for (const char* svg : {"age.svg", "clouds.svg", "normalised.svg"}) {
        const std::string text = run().read(svg);
        EXPECT_TRUE(text.starts_with("<?xml")) << svg;
        EXPECT_NE(text.find("<svg "), std::string::npos) << svg;
        EXPECT_TRUE(text.ends_with("</svg>\n")) << svg;
    }
}

TEST_F(SavedPlots, APngNameGivesAnImageOf2400By1800Pixels) {
    for (const char* png : {"age.png", "clouds.png", "clouds_bw.png", "view3d.png", "single.png", "rcs.png"}) {
        const auto [w, h] = png_size(run().read(png));
        EXPECT_EQ(w, 2400u) << png;
        EXPECT_EQ(h, 1800u) << png;
    }
}

TEST_F(SavedPlots, EachSaveIsItsOwnPicture) {
    const KeptRun& r = run();
    EXPECT_NE(r.read("clouds.png"), r.read("clouds_bw.png"));
    EXPECT_NE(r.read("clouds.png"), r.read("view3d.png"));
    EXPECT_NE(r.read("clouds.svg"), r.read("normalised.svg"));
    EXPECT_NE(r.read("age.png"), r.read("rcs.png"));
}

TEST_F(SavedPlots, TheScreenPlotKeepsTheScreensSize) {
    EXPECT_EQ(png_size(run().read("tarnik_screen.png")), std::make_pair(720u, 540u));
}

}  // namespace
}  // namespace tarnik::test
