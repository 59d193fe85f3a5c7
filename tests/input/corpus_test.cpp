// The real files of many labs and programs (data/corpus): each recognised as
// its own format, each TRiDaS document read or refused for a reason it names,
// and the files that hold no ring widths (a chronology, XML of another kind)
// ending with a message that says what they are.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/errors.h"
#include "input/chronology.h"
#include "input/data_set.h"
#include "input/formats.h"
#include "support/test_support.h"

namespace tarnik {
namespace {

namespace fs = std::filesystem;

// What ends a run on `path` (its lines), or nothing when every series was read.
struct Outcome {
    std::size_t series = 0;
    std::vector<std::string> message;
};

Outcome read_path(const fs::path& path) {
    Outcome o;
    std::string problem;
    try {
        auto data = DataSetReader::open(path.string(), problem);
        if (!data) return {0, {problem}};
        SeriesRead s;
        while (data->next(s)) ++o.series;
    } catch (const InternalError& e) {
        o.message = e.lines;
    } catch (const UnusableFile& e) {
        o.message = e.lines;
    }
    return o;
}

// The format of every corpus file of the formats read so far, by its folder;
// the pith offset file and the folders' notes are no ring-width files.
std::optional<FileFormat> expected_format(const fs::path& file) {
    const std::string folder = file.parent_path().filename().string();
    const std::string name = file.filename().string();
    if (name == ".directory" || name == "gp_po.txt") return std::nullopt;
    static const std::map<std::string, FileFormat> by_folder = {
        {"corpus", FileFormat::decadal},        {"wild", FileFormat::decadal},
        {"Heidelberg", FileFormat::heidelberg}, {"TRiDaS", FileFormat::tridas},
        {"CSVMatrix", FileFormat::csv},         {"TucsonCompact", FileFormat::compact},
        {"PAST4", FileFormat::past4},           {"TucsonChronology", FileFormat::chronology}};
    const auto it = by_folder.find(folder);
    if (it == by_folder.end()) return std::nullopt;
    return it->second;
}

TEST(Corpus, EveryFileIsRecognisedAsItsOwnFormat) {
    std::size_t checked = 0, decadal = 0;
    for (const auto& entry : fs::recursive_directory_iterator(test::data_file("corpus"))) {
        if (!entry.is_regular_file()) continue;
        const auto want = expected_format(entry.path());
        if (!want) continue;
        EXPECT_EQ(detect_format(test::read_file(entry.path())), *want) << entry.path();
        ++checked;
        decadal += *want == FileFormat::decadal;
    }
    for (const char* file : {"ca533.rwl", "th001.rwl", "TTHH_raw.txt"}) {
        EXPECT_EQ(detect_format(test::read_file(test::data_file(file))), FileFormat::decadal) << file;
        ++decadal;
    }
    // The decadal files of every lab are among them: none may be taken for a chronology.
    EXPECT_GE(checked, 80u);
    EXPECT_GE(decadal, 30u);
}

TEST(Corpus, EveryTridasDocumentIsReadOrRefusedForAReasonItNames) {
    std::size_t read = 0;
    for (const auto& entry : fs::directory_iterator(test::data_file("corpus/formats/TRiDaS"))) {
        if (entry.path().extension() != ".xml") continue;
        const Outcome o = read_path(entry.path());
        if (o.message.empty()) {
            EXPECT_GT(o.series, 0u) << entry.path();
            ++read;
            continue;
        }
        // A TRiDaS message: the value or variable that cannot be used, not a line of markup.
        ASSERT_GE(o.message.size(), 2u) << entry.path();
        const std::string& head = o.message[0] == " error reading data" ? o.message[1] : o.message[0];
        EXPECT_NE(head.find("The TRiDaS file"), std::string::npos) << entry.path() << ": " << head;
    }
    EXPECT_EQ(read, 23u);  // of 25: one has a value "ABC0", one no ring widths
    // A document whose root is a project, with derived series.
    const Outcome o = read_path(test::data_file("corpus/formats/TRiDaS/DerivedSeriesLinkedToDSeries.xml"));
    EXPECT_TRUE(o.message.empty() && o.series == 3);
}

TEST(Corpus, FilesWithoutRingWidthsSayWhatTheyAre) {
    const fs::path crn = test::data_file("corpus/formats2/TucsonChronology/Tucson1.crn");
    EXPECT_EQ(read_path(crn).message,
              (std::vector<std::string>{" The file " + crn.string() +
                                            " is a chronology of the data bank: it holds indices of a mean curve "
                                            "with their sample depths, not ring widths.",
                                        " There is nothing to analyse. The run ends here."}));

    test::TempDir dir;
    dir.write("page.xml", "<?xml version=\"1.0\"?>\n<!-- a page -->\n<h:html xmlns:h=\"x\">\n<h:p>1</h:p>\n</h:html>\n");
    EXPECT_EQ(read_path(dir / "page.xml").message,
              (std::vector<std::string>{" The file " + (dir / "page.xml").string() +
                                            " is an XML document whose root element is <h:html>: neither a TRiDaS "
                                            "document nor a PAST4 project, it holds no ring widths.",
                                        " There is nothing to analyse. The run ends here."}));
}

// A chronology's layout, line by line: one field off and it is no chronology.
TEST(Corpus, ChronologiesAreRecognisedOnlyByTheirWholeLayout) {
    std::string fill8;
    for (int k = 0; k < 8; ++k) fill8 += "9990  0";
    const std::string head = "107089 1 Antalya\n107089 2 Turkey\n107089 3 Someone\n";
    const std::string full = "1070001380 127  1  39  1  29  1  69  1 178  1 445  1 227  1 510  11020  11120  1\n"
                             "1070001390 390  11310  1 979  11585  11111  1 444  1 214  1 520  1 275  1 224  1\n"
                             "10700014001384 231172 23" + fill8 + "\n";
    EXPECT_TRUE(ChronologyReader::looks_like(head + full));
    EXPECT_TRUE(ChronologyReader::looks_like(full));
    // Several chronologies, each with its header; CR LF line ends.
    EXPECT_TRUE(ChronologyReader::looks_like(head + full + "\r\n" + head + full));
    std::string crlf = head + full;
    for (std::size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) crlf.insert(at, "\r");
    EXPECT_TRUE(ChronologyReader::looks_like(crlf));

    EXPECT_FALSE(ChronologyReader::looks_like(head));
    EXPECT_FALSE(ChronologyReader::looks_like(head + "x\n" + full));                // four header lines
    EXPECT_FALSE(ChronologyReader::looks_like(head + full.substr(0, 162)));        // no 9990 fill
    EXPECT_FALSE(ChronologyReader::looks_like(head + full.substr(0, 81) + full.substr(162)));  // a decade left out
    std::string shifted = head + full;
    shifted.replace(shifted.find(" 127"), 4, "127 ");                              // not right-justified
    EXPECT_FALSE(ChronologyReader::looks_like(shifted));
    std::string longer = head + full;
    longer.insert(longer.find('\n', head.size()), "1");                           // 81 columns
    EXPECT_FALSE(ChronologyReader::looks_like(longer));
    // Decadal files with 80-column lines of numbers are ring widths.
    EXPECT_FALSE(ChronologyReader::looks_like(test::decadal("CAM011", 1530, std::vector<int>(30, 9990))));
}

}  // namespace
}  // namespace tarnik
