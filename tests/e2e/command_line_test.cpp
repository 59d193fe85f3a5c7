// The real program's command line: --help, -h, --version and an argument it
// does not know answer without starting the dialog.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarnik::test
