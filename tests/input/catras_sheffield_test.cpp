// The readers of one-series files, CATRAS (binary) and Sheffield (text): the
// corpus files against their Heidelberg twin or their own values, written
// cases of years, kinds, variables and missing rings, the strictness of their
// recognition, and the messages of bad files.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "console/errors.h"
#include "input/catras.h"
#include "input/data_set.h"
#include "input/formats.h"
#include "input/heidelberg.h"
#include "input/sheffield.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

// The series of a file (or the message that ended the run, as notices) and the notices.
struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

template <class Reader>
Read read_as(std::string content, const std::string& file = "in.dat") {
    Read r;
    try {
        DataSetReader data(std::make_unique<Reader>(std::move(content), file));
        SeriesRead s;
        while (data.next(s)) r.series.push_back(s);
        r.notices = data.take_notices();
        r.missing = data.missing_rings();
    } catch (const InternalError& e) {
        r.notices = e.lines;
    } catch (const UnusableFile& e) {
        r.notices = e.lines;
    }
    return r;
}

// "id first-year length: first-value ... last-value" of the only series.
std::string brief(const Read& r) {
    if (r.series.size() != 1) return std::to_string(r.series.size()) + " series";
    const SeriesRead& s = r.series[0];
    std::string t = s.id + " " + std::to_string(s.first_year) + " " + std::to_string(s.length) + ":";
    for (std::int32_t v : s.values) t += " " + std::to_string(v);
    return s.scale == 100 ? t : t + " (scale " + std::to_string(s.scale) + ")";
}

std::string corpus(const std::string& name) { return test::read_file(test::data_file("corpus/" + name)); }

// A CATRAS file of the given header fields and values, padded with 999s (as
// the program leaves its buffer) to whole 128-byte records.
std::string catras(std::int32_t year, std::vector<std::int16_t> values, std::string key = "KEY1",
                   unsigned variable = 0, unsigned kind = 0, unsigned number_format = 1, bool padded = true) {
    std::string b = "a title" + std::string(25, ' ') + (key + "        ").substr(0, 8) + "CAT" + std::string(85, '\0');
    const auto put16 = [&](std::size_t at, std::int32_t v) {
        b[at] = static_cast<char>(v & 0xff);
        b[at + 1] = static_cast<char>((v >> 8) & 0xff);
    };
    put16(44, static_cast<std::int32_t>(values.size()));
    put16(54, year);
    b[66] = static_cast<char>(number_format);
    b[67] = static_cast<char>(variable);
    b[83] = static_cast<char>(kind);
    for (std::int16_t v : values) {
        b.resize(b.size() + 2);
        put16(b.size() - 2, v);
    }
    while (padded && b.size() % 128 != 0) b += "\xe7\x03";
    return b;
}

// A Sheffield file: the 22 header lines, then the given value lines.
std::string sheffield(const std::string& count, const std::string& dating, const std::string& year,
                      const std::string& type, const std::string& data_type, const std::string& values,
                      const std::string& eol = "\n") {
    std::string s = "A boat timber" + eol + count + eol + dating + eol + year + eol + type + eol;
    for (int i = 6; i <= 21; ++i) s += "?" + eol;
    return s + data_type + eol + values;
}

// The same oak series of Akkerman as CATRAS and as Heidelberg file; a BC
// series; a chronology whose padding holds 999s and whose sample depths follow.
TEST(Catras, ACorpusFileReadsAsItsHeidelbergTwin) {
    const Read cat = read_as<CatrasReader>(corpus("formats2/CATRAS/UAKK0530.CAT"));
    const Read fh = read_as<HeidelbergReader>(corpus("formats/Heidelberg/UAKK0530.fh"));
    EXPECT_EQ(brief(cat), brief(fh));
    EXPECT_TRUE(brief(cat).starts_with("UAKK0530 987 105: 125 125 264 ")) << brief(cat);
    EXPECT_EQ(cat.notices, std::vector<std::string>{" Read as a CATRAS file: 1 series."});
}

TEST(Catras, TheCorpusFilesOfDatesBeforeOurEraAndOfMeanCurvesRead) {
    EXPECT_TRUE(brief(read_as<CatrasReader>(corpus("formats2/CATRAS/bcdated.CAT"))).starts_with("P853041C -4 79: "));
    const Read mean = read_as<CatrasReader>(corpus("formats2/CATRAS/OBL10002.CAT"));
    EXPECT_TRUE(brief(mean).starts_with("OBL10002 249 96: 140 118 ") && brief(mean).ends_with(" 156 219"))
        << brief(mean);
    EXPECT_EQ(mean.notices, std::vector<std::string>{" Read as a CATRAS file: 1 series, 1 of them a mean curve."});
}

TEST(Catras, YearsBeforeOurEraCountFromYearZero) {
    // 1 BC is the program's year 0; the title names a series without a key code.
    Read r = read_as<CatrasReader>(catras(-1, {120, -1, 98, -5}, ""));
    EXPECT_EQ(brief(r), "a title  0 4: 120 0 98 0");
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].count == 2 && r.missing[0].first_year == 1 && r.missing[0].words == "negative values");
}

TEST(Catras, UndatedTreeCurvesArePlacedFromYearOne) {
    const Read r = read_as<CatrasReader>(catras(0, {120, 98}, "K", 0, 1, 1, false));  // undated tree curve, not padded
    EXPECT_EQ(brief(r), "K        1 2: 120 98");
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a CATRAS file: 1 series, 1 of them a mean curve, 1 "
                                                  "without dates, placed from year 1."});
}

TEST(Catras, EarlywoodAndLatewoodSeriesAreSkipped) {
    EXPECT_EQ(read_as<CatrasReader>(catras(1900, {5}, "K", 2)).notices,
              (std::vector<std::string>{" The CATRAS file in.dat holds no ring-width series, 1 series of earlywood "
                                        "or latewood widths skipped.",
                                        " There is nothing to analyse. The run ends here."}));
}

TEST(Catras, BadHeadersEndTheRunWithAMessage) {
    const auto error = [](std::string bytes) { return read_as<CatrasReader>(std::move(bytes)).notices.at(2); };
    EXPECT_EQ(error(catras(1900, {5}, "K", 0, 0, 2)),
              "             the number format of the values (byte 66) is 2; only 1, whole hundredths of a "
              "millimetre in 16 bits, is known here");
    std::string counted_past_the_end = catras(1900, {5, 6});
    counted_past_the_end[44] = 100;
    EXPECT_EQ(error(counted_past_the_end), "             the header counts 100 rings, but the file ends after 64 values");
}

// Only the whole header makes a file CATRAS, and only the counted values are read.
TEST(Catras, RecognisedByTheWholeHeaderAndReadToItsCount) {
    const std::string good = catras(1900, {120, 98, 105});
    ASSERT_EQ(good.size(), 256u);
    EXPECT_EQ(detect_format(good), FileFormat::catras);
    EXPECT_TRUE(CatrasReader::looks_like(good + std::string(3 * 128, '\0')));  // blocks of a mean curve
    for (const std::string& bad : {good + std::string(4 * 128, '\0'), good.substr(0, 128), good + "x",
                                   good.substr(0, 133), catras(1900, {1}, "K", 3), catras(1900, {1}, "K", 0, 7)})
        EXPECT_FALSE(CatrasReader::looks_like(bad)) << bad.size();
    std::string fewer = good;
    fewer[44] = 2;
    EXPECT_EQ(brief(read_as<CatrasReader>(fewer)), "KEY1     1900 2: 120 98");
    fewer[44] = 65;  // 130 bytes of values need two records
    EXPECT_FALSE(CatrasReader::looks_like(fewer));
}

// A mean curve of the York boat timbers, its counts (H) and signatures (R)
// after its widths, and one of its raw series; the file's name is the identifier.
TEST(Sheffield, TheCorpusMeanCurveReadsWithoutItsCountsAndSignatures) {
    const Read mean = read_as<SheffieldReader>(corpus("formats2/Sheffield/HunBoat.d"), "timbers/HunBoat.d");
    EXPECT_TRUE(brief(mean).starts_with("HunBoat  784 170: 391 454 ") && brief(mean).ends_with(" 218 308"));
    EXPECT_EQ(mean.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series, 1 of them a mean curve."});
}

TEST(Sheffield, TheCorpusRawSeriesReads) {
    const Read raw = read_as<SheffieldReader>(corpus("formats2/Sheffield/yhg50683.d"), "yhg50683.d");
    EXPECT_TRUE(brief(raw).starts_with("yhg50683 784 129: 391 454 ") && brief(raw).ends_with(" 102 106"));
    EXPECT_EQ(raw.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series."});
}

TEST(Sheffield, HeadersOfEveryDatingAndTypeRead) {
    // 10000 is 1 BC, the program's year 0; relative dating reads the year alike;
    // an old species letter means raw; CR LF line ends; what follows n is not read.
    Read r = read_as<SheffieldReader>(sheffield("4", "R", "10000", "Q", "D", "12\r\n-3\r\n 40 \r\n0\r\nH\r\n", "\r\n"),
                                      "lab/T12.b.d");
    EXPECT_EQ(brief(r), "T12.b    0 4: 12 0 40 0");
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series, 1 relatively dated."});
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_TRUE(r.missing[0].first_year == 1 && r.missing[0].words == "negative value");
    r = read_as<SheffieldReader>(sheffield("2", "a", "9990", "t", "d", "5\n6"), "C.d");
    EXPECT_EQ(brief(r), "C        -10 2: 5 6");
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series, 1 of them a mean curve."});
}

TEST(Sheffield, BadFilesEndTheRunWithAMessage) {
    const auto message = [](const std::string& content) {
        std::vector<std::string> lines = read_as<SheffieldReader>(content, "x.d").notices;
        if (lines.size() > 3) lines = {lines.begin() + 1, lines.end() - 1};  // between " error reading data" and the hint
        return lines;
    };
    EXPECT_EQ(message(sheffield("2", "A", "11900", "R", "E", "5\n6\n")),
              (std::vector<std::string>{" The Sheffield file x.d holds no ring-width series, 1 series of other "
                                        "data than ring widths skipped.",
                                        " There is nothing to analyse. The run ends here."}));
    EXPECT_EQ(message(sheffield("3", "A", "11900", "R", "D", "5\n6\n")),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, series 1 (x):",
                                        "             the file ends after 2 of its 3 values"}));
    EXPECT_EQ(message(sheffield("3", "A", "11900", "R", "D", "5\n6.5\n7\n")),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, line 24, series 1 (x):",
                                        "             \"6.5\" is not a whole number", "             6.5"}));
    EXPECT_EQ(message(sheffield("1", "A", "11900", "R", "D", "300000000\n")).at(1),
              "             the width 300000000 is too large");
    EXPECT_EQ(message("title\n2\nA\n").at(1),
              "             the file ends inside the 22 lines of its header, after line 3");
}

// Every file of the corpus is taken for CATRAS or Sheffield exactly when it is
// one: the decadal files of many labs, the exchange formats and the further
// formats of other programs never are; nor are near misses of a Sheffield header.
TEST(CatrasAndSheffield, RecognisedOnlyByTheirStructure) {
    int catras_files = 0, sheffield_files = 0, others = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(test::data_file("corpus"))) {
        if (!e.is_regular_file()) continue;
        const std::string folder = e.path().parent_path().filename().string();
        const std::string bytes = test::read_file(e.path());
        EXPECT_EQ(CatrasReader::looks_like(bytes), folder == "CATRAS") << e.path();
        TextProblem problem;
        const auto text = text_of(bytes, problem);
        ASSERT_TRUE(text) << e.path();
        EXPECT_EQ(SheffieldReader::looks_like(*text), folder == "Sheffield") << e.path();
        ++(folder == "CATRAS" ? catras_files : folder == "Sheffield" ? sheffield_files : others);
    }
    EXPECT_TRUE(catras_files == 3 && sheffield_files == 2 && others > 100);

    for (const std::string& ok : {sheffield("2", "A", "11900", "R", "D", "5\n"), sheffield("0", "A", "1", "R", "D", ""),
                                  sheffield("2", "A", "11900", "R", "I", "0.95\n1.02\n")})
        EXPECT_EQ(detect_format(ok), FileFormat::sheffield) << ok;
    for (const std::string& near_miss :
         {sheffield("x", "A", "11900", "R", "D", "5\n"), sheffield("-2", "A", "11900", "R", "D", "5\n"),
          sheffield("2", "B", "11900", "R", "D", "5\n"), sheffield("2", "A", "1190x", "R", "D", "5\n"),
          sheffield("2", "A", "11900", "RW", "D", "5\n"), sheffield("2", "A", "11900", "R", "D", "5.5\n"),
          sheffield("2", "A", "11900", "R", "D", ""), sheffield("2", "A", "11900", "R", "", "5\n"),
          "2\n" + test::decadal("A", 1901, {1, 2})})
        EXPECT_EQ(detect_format(near_miss), FileFormat::decadal) << near_miss;
}

}  // namespace
}  // namespace tarnik
