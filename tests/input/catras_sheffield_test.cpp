// The readers of one-series files: CATRAS (binary) and Sheffield (text). The
// real files of the corpus against their Heidelberg twin or their own values,
// written cases of years, kinds, variables and missing rings, the strictness of
// their recognition (no decadal file is taken for either), and every message of
// a bad file.

#include <gtest/gtest.h>

#include <algorithm>
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

struct Read {
    std::vector<SeriesRead> series;
    std::vector<std::string> notices;
    std::vector<MissingRings> missing;
};

template <class Reader>
Read read_as(std::string content, const std::string& file = "in.dat") {
    DataSetReader data(std::make_unique<Reader>(std::move(content), file));
    Read r;
    SeriesRead s;
    while (data.next(s)) r.series.push_back(s);
    r.notices = data.take_notices();
    r.missing = data.missing_rings();
    return r;
}

// The lines of the message that ends the run (read error or unusable file).
template <class Reader>
std::vector<std::string> message_of(std::string content, const std::string& file = "in.dat") {
    try {
        read_as<Reader>(std::move(content), file);
    } catch (const InternalError& e) {
        return e.lines;
    } catch (const UnusableFile& e) {
        return e.lines;
    }
    return {"no message"};
}

std::string corpus(const std::string& name) { return test::read_file(test::data_file("corpus/" + name)); }

// A CATRAS file: the header's fields as given, then the values, padded with
// 999s (as the program leaves its buffer) to whole 128-byte records.
struct Catras {
    std::string title = "a title", key = "KEY1";
    std::int32_t first_year = 1900;
    unsigned number_format = 1, variable = 0, kind = 0;
    std::vector<std::int16_t> values = {120, 98, 105};
    std::int32_t count = -1;  // the ring count written; -1: the number of values
    bool padded = true;

    std::string bytes() const {
        std::string b(128, '\0');
        const auto put16 = [&](std::size_t at, std::int32_t v) {
            b[at] = static_cast<char>(v & 0xff);
            b[at + 1] = static_cast<char>((v >> 8) & 0xff);
        };
        b.replace(0, 32, (title + std::string(32, ' ')).substr(0, 32));
        b.replace(32, 8, (key + std::string(8, ' ')).substr(0, 8));
        b.replace(40, 3, "CAT");
        put16(44, count >= 0 ? count : static_cast<std::int32_t>(values.size()));
        put16(54, first_year);
        b[66] = static_cast<char>(number_format);
        b[67] = static_cast<char>(variable);
        b[83] = static_cast<char>(kind);
        for (std::int16_t v : values) {
            b += '\0';
            b += '\0';
            put16(b.size() - 2, v);
        }
        while (padded && b.size() % 128 != 0) {
            b += "\xe7\x03";  // 999
        }
        return b;
    }
};

// A Sheffield file: the 22 header lines, then the given value lines.
std::string sheffield(const std::string& count, const std::string& dating, const std::string& year,
                      const std::string& type, const std::string& data_type, const std::string& values,
                      const std::string& eol = "\n") {
    std::string s = "A boat timber" + eol + count + eol + dating + eol + year + eol + type + eol;
    for (int i = 6; i <= 21; ++i) s += "?" + eol;
    return s + data_type + eol + values;
}

SeriesRead series(std::string id, std::int32_t first_year, std::vector<std::int32_t> values) {
    SeriesRead s;
    id.resize(8, ' ');
    s.id = id;
    s.first_year = first_year;
    s.length = static_cast<std::int32_t>(values.size());
    s.values = std::move(values);
    return s;
}

void expect_series(const std::vector<SeriesRead>& got, const SeriesRead& want, const std::string& what) {
    ASSERT_EQ(got.size(), 1u) << what;
    EXPECT_EQ(got[0].id, want.id) << what;
    EXPECT_EQ(got[0].first_year, want.first_year) << what;
    EXPECT_EQ(got[0].length, want.length) << what;
    EXPECT_EQ(got[0].values, want.values) << what;
    EXPECT_EQ(got[0].scale, 100) << what;
}

// The same oak series of Akkerman as CATRAS and as Heidelberg file (where it
// is a mean curve of pairs): name, years and every width agree.
TEST(Catras, TheCorpusFilesAndTheirHeidelbergTwin) {
    const std::string cat = corpus("formats2/CATRAS/UAKK0530.CAT");
    EXPECT_EQ(detect_format(cat), FileFormat::catras);
    const Read from_cat = read_as<CatrasReader>(cat);
    const Read from_fh = read_as<HeidelbergReader>(corpus("formats/Heidelberg/UAKK0530.fh"));
    ASSERT_EQ(from_fh.series.size(), 1u);
    expect_series(from_cat.series, from_fh.series[0], "UAKK0530");
    EXPECT_EQ(from_cat.series[0].id, "UAKK0530");
    EXPECT_EQ(from_cat.series[0].first_year, 987);
    EXPECT_EQ(from_cat.series[0].length, 105);
    EXPECT_EQ(from_cat.notices, std::vector<std::string>{" Read as a CATRAS file: 1 series."});

    // 5 BC is the program's year -4; 79 values, the padding after them unread.
    const Read bc = read_as<CatrasReader>(corpus("formats2/CATRAS/bcdated.CAT"));
    ASSERT_EQ(bc.series.size(), 1u);
    EXPECT_EQ(bc.series[0].id, "P853041C");
    EXPECT_EQ(bc.series[0].first_year, -4);
    EXPECT_EQ(bc.series[0].length, 79);
    EXPECT_EQ(bc.series[0].values.back(), 90);

    // A chronology: a mean curve of 96 rings; its padding holds 999s and its
    // sample depths follow in records of their own.
    const Read mean = read_as<CatrasReader>(corpus("formats2/CATRAS/OBL10002.CAT"));
    ASSERT_EQ(mean.series.size(), 1u);
    EXPECT_EQ(mean.series[0].first_year, 249);
    EXPECT_EQ(mean.series[0].length, 96);
    EXPECT_EQ(mean.series[0].values.front(), 140);
    EXPECT_EQ(mean.series[0].values.back(), 219);
    EXPECT_EQ(mean.notices, std::vector<std::string>{" Read as a CATRAS file: 1 series, 1 of them a mean curve."});
    for (const char* f : {"OBL10002.CAT", "bcdated.CAT"})
        EXPECT_EQ(detect_format(corpus(std::string("formats2/CATRAS/") + f)), FileFormat::catras) << f;
}

TEST(Catras, YearsNamesKindsAndMissingRings) {
    Catras c;
    c.values = {120, -1, 98, -5};
    c.first_year = -1;  // 1 BC: the year 0 of the program
    c.key = "";
    c.title = "  OAK 12 \x01";
    Read r = read_as<CatrasReader>(c.bytes());
    expect_series(r.series, series("OAK 12", 0, {120, 0, 98, 0}), "BC, title as name");
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].count, 2);
    EXPECT_EQ(r.missing[0].first_year, 1);
    EXPECT_EQ(r.missing[0].words, "negative values");

    c = Catras{};
    c.first_year = 0;
    c.kind = 1;
    c.padded = false;  // written without padding
    ASSERT_TRUE(CatrasReader::looks_like(c.bytes()));
    r = read_as<CatrasReader>(c.bytes());
    expect_series(r.series, series("KEY1", 1, {120, 98, 105}), "undated tree curve");
    EXPECT_EQ(r.notices, std::vector<std::string>{
                             " Read as a CATRAS file: 1 series, 1 of them a mean curve, 1 without dates, placed "
                             "from year 1."});

    // Exactly the counted values: a ring count below the values written leaves the rest unread.
    c = Catras{};
    c.count = 2;
    r = read_as<CatrasReader>(c.bytes());
    expect_series(r.series, series("KEY1", 1900, {120, 98}), "count 2");

    c = Catras{};
    c.variable = 2;
    EXPECT_EQ(message_of<CatrasReader>(c.bytes()),
              (std::vector<std::string>{" The CATRAS file in.dat holds no ring-width series, 1 series of earlywood "
                                        "or latewood widths skipped.",
                                        " There is nothing to analyse. The run ends here."}));
}

// Only the header's structure makes a file CATRAS: the signature alone, a size
// that disagrees with the ring count, or fields no CATRAS file holds do not.
TEST(Catras, RecognisedOnlyByTheWholeHeader) {
    const Catras ok;
    const std::string good = ok.bytes();
    ASSERT_EQ(good.size(), 256u);
    EXPECT_EQ(detect_format(good), FileFormat::catras);
    EXPECT_TRUE(CatrasReader::looks_like(good + std::string(3 * 128, '\0')));  // blocks of a mean curve
    EXPECT_FALSE(CatrasReader::looks_like(good + std::string(4 * 128, '\0')));
    EXPECT_FALSE(CatrasReader::looks_like(good.substr(0, 128)));
    EXPECT_FALSE(CatrasReader::looks_like(good + "x"));
    EXPECT_FALSE(CatrasReader::looks_like(good.substr(0, 128 + 5)));
    Catras c;
    c.count = 65;  // 130 bytes of values need two records
    EXPECT_FALSE(CatrasReader::looks_like(c.bytes()));
    c = Catras{};
    c.variable = 3;
    EXPECT_FALSE(CatrasReader::looks_like(c.bytes()));
    c = Catras{};
    c.kind = 7;
    EXPECT_FALSE(CatrasReader::looks_like(c.bytes()));

    // A decadal file with CAT at bytes 40-42 of its title, 256 bytes long.
    std::string title = std::string(40, 'x') + "CAT" + std::string(20, ' ');
    std::string text = title + "\n" + test::decadal("A", 1901, std::vector<int>(17, 100));
    text += std::string(256 - text.size() - 1, ' ') + "\n";
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(detect_format(text), FileFormat::decadal);
}

// Every file of the corpus is taken for CATRAS or Sheffield exactly when it is
// one: the decadal files of many labs, the exchange formats and the further
// formats of other programs never are.
TEST(CatrasAndSheffield, EveryCorpusFileIsRecognisedAsItsOwnFormatOnly) {
    int catras = 0, sheffield = 0, others = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(test::data_file("corpus"))) {
        if (!e.is_regular_file()) continue;
        const std::string folder = e.path().parent_path().filename().string();
        const std::string bytes = test::read_file(e.path());
        EXPECT_EQ(CatrasReader::looks_like(bytes), folder == "CATRAS") << e.path();
        EXPECT_EQ(SheffieldReader::looks_like(text_of(bytes)), folder == "Sheffield") << e.path();
        ++(folder == "CATRAS" ? catras : folder == "Sheffield" ? sheffield : others);
    }
    EXPECT_EQ(catras, 3);
    EXPECT_EQ(sheffield, 2);
    EXPECT_GT(others, 100);
}

TEST(Catras, BadFilesEndWithAMessage) {
    Catras c;
    c.number_format = 2;
    const std::string hint = "             This should not happen. Check file format and LF";
    EXPECT_EQ(message_of<CatrasReader>(c.bytes()),
              (std::vector<std::string>{" error reading data", "             The CATRAS file in.dat cannot be read, its header:",
                                        "             the number format of the values (byte 66) is 2; only 1, whole "
                                        "hundredths of a millimetre in 16 bits, is known here",
                                        hint}));
    c = Catras{};
    c.count = 300;
    EXPECT_EQ(message_of<CatrasReader>(c.bytes()),
              (std::vector<std::string>{" error reading data", "             The CATRAS file in.dat cannot be read, its values:",
                                        "             the header counts 300 rings, but the file ends after 64 values",
                                        hint}));
    EXPECT_EQ(message_of<CatrasReader>("CAT").at(2),
              "             the file holds 3 bytes, less than the 128 of a header");
}

// A mean curve of the York boat timbers, with the counts (H) and signatures (R)
// after its widths, and one of its raw series: the identifier is the file's name.
TEST(Sheffield, TheCorpusFilesAMeanCurveAndARawSeries) {
    const std::string boat = corpus("formats2/Sheffield/HunBoat.d");
    EXPECT_EQ(detect_format(boat), FileFormat::sheffield);
    Read mean = read_as<SheffieldReader>(boat, "timbers/HunBoat.d");
    ASSERT_EQ(mean.series.size(), 1u);
    EXPECT_EQ(mean.series[0].id, "HunBoat ");
    EXPECT_EQ(mean.series[0].first_year, 784);
    EXPECT_EQ(mean.series[0].length, 170);
    EXPECT_EQ(mean.series[0].values.front(), 391);
    EXPECT_EQ(mean.series[0].values.back(), 308);  // the last width, before the H block
    EXPECT_EQ(mean.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series, 1 of them a mean curve."});

    const std::string raw_text = corpus("formats2/Sheffield/yhg50683.d");
    EXPECT_EQ(detect_format(raw_text), FileFormat::sheffield);
    Read raw = read_as<SheffieldReader>(raw_text, "yhg50683.d");
    ASSERT_EQ(raw.series.size(), 1u);
    EXPECT_EQ(raw.series[0].id, "yhg50683");
    EXPECT_EQ(raw.series[0].first_year, 784);
    EXPECT_EQ(raw.series[0].length, 129);
    EXPECT_EQ(raw.series[0].values.back(), 106);
    EXPECT_EQ(raw.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series."});
    // The mean curve starts with this timber alone: their first 27 widths agree.
    EXPECT_TRUE(std::equal(raw.series[0].values.begin(), raw.series[0].values.begin() + 27,
                           mean.series[0].values.begin()));
    EXPECT_NE(raw.series[0].values[27], mean.series[0].values[27]);
}

TEST(Sheffield, YearsDatingTypesAndMissingRings) {
    // 10000 is 1 BC, the program's year 0; relative dating reads the year alike;
    // an old species letter means raw; CR LF line ends; what follows n is not read.
    Read r = read_as<SheffieldReader>(sheffield("4", "R", "10000", "Q", "D", "12\r\n-3\r\n 40 \r\n0\r\nH\r\n", "\r\n"),
                                      "lab/T12.b.d");
    expect_series(r.series, series("T12.b", 0, {12, 0, 40, 0}), "relative, BC");
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series, 1 relatively dated."});
    ASSERT_EQ(r.missing.size(), 1u);
    EXPECT_EQ(r.missing[0].first_year, 1);
    EXPECT_EQ(r.missing[0].words, "negative value");

    r = read_as<SheffieldReader>(sheffield("2", "a", "9990", "t", "d", "5\n6"), "C.d");
    expect_series(r.series, series("C", -10, {5, 6}), "mean curve, lower case");
    EXPECT_EQ(r.notices, std::vector<std::string>{" Read as a Sheffield file: 1 series, 1 of them a mean curve."});

    EXPECT_EQ(message_of<SheffieldReader>(sheffield("2", "A", "11900", "R", "E", "5\n6\n")),
              (std::vector<std::string>{" The Sheffield file in.dat holds no ring-width series, 1 series of other "
                                        "data than ring widths skipped.",
                                        " There is nothing to analyse. The run ends here."}));
}

// The structure of the header, not a title, makes a file Sheffield; near
// misses and decadal files stay decadal.
TEST(Sheffield, RecognisedOnlyByTheWholeHeader) {
    EXPECT_EQ(detect_format(sheffield("2", "A", "11900", "R", "D", "5\n6\n")), FileFormat::sheffield);
    EXPECT_EQ(detect_format(sheffield("2", "A", "11900", "R", "D", "5\n")), FileFormat::sheffield);  // short: an error
    EXPECT_EQ(detect_format(sheffield("0", "A", "11900", "R", "D", "")), FileFormat::sheffield);
    EXPECT_EQ(detect_format(sheffield("2", "A", "11900", "R", "I", "0.95\n1.02\n")), FileFormat::sheffield);
    for (const std::string& near_miss :
         {sheffield("x", "A", "11900", "R", "D", "5\n6\n"), sheffield("-2", "A", "11900", "R", "D", "5\n6\n"),
          sheffield("2", "B", "11900", "R", "D", "5\n6\n"), sheffield("2", "A", "1190x", "R", "D", "5\n6\n"),
          sheffield("2", "A", "11900", "RW", "D", "5\n6\n"), sheffield("2", "A", "11900", "1", "D", "5\n6\n"),
          sheffield("2", "A", "11900", "R", "DD", "5\n6\n"), sheffield("2", "A", "11900", "R", "D", "5.5\n6\n"),
          sheffield("2", "A", "11900", "R", "D", ""), sheffield("2", "A", "11900", "R", "", "5\n6\n")})
        EXPECT_EQ(detect_format(near_miss), FileFormat::decadal) << near_miss;
    // Decadal files: any title, short series, numeric identifiers.
    EXPECT_EQ(detect_format("2\n" + test::decadal("A", 1901, {1, 2})), FileFormat::decadal);
    std::string many;
    for (int i = 0; i < 30; ++i) many += test::decadal(std::to_string(i), 1995, {1});
    EXPECT_EQ(detect_format("Site\n" + many), FileFormat::decadal);
    EXPECT_EQ(detect_format(corpus("co021.rwl")), FileFormat::decadal);
}

TEST(Sheffield, BadFilesEndWithAMessage) {
    const auto error = [](const std::string& content) {
        auto lines = message_of<SheffieldReader>(content, "x.d");
        if (lines.size() > 2) lines.erase(lines.begin());  // " error reading data"
        if (lines.size() > 1) lines.pop_back();             // the hint
        return lines;
    };
    EXPECT_EQ(error(sheffield("3", "A", "11900", "R", "D", "5\n6\n")),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, series 1 (x):",
                                        "             the file ends after 2 of its 3 values"}));
    EXPECT_EQ(error(sheffield("3", "A", "11900", "R", "D", "5\n6.5\n7\n")),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, line 24, series 1 (x):",
                                        "             \"6.5\" is not a whole number", "             6.5"}));
    EXPECT_EQ(error(sheffield("1", "A", "11900", "R", "D", "300000000\n")),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, line 23, series 1 (x):",
                                        "             the width 300000000 is too large"}));
    EXPECT_EQ(error(sheffield("1", "X", "11900", "R", "D", "3\n")),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, line 3:",
                                        "             the dating (line 3) is not A (absolute) or R (relative)",
                                        "             X"}));
    EXPECT_EQ(error("title\n2\nA\n"),
              (std::vector<std::string>{"             The Sheffield file x.d cannot be read, its header:",
                                        "             the file ends inside the 22 lines of its header, after line 3"}));
}

}  // namespace
}  // namespace tarnik
