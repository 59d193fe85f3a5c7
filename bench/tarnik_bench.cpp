// Every speed figure of the program in one table.
//
//   bench_tarnik_bench            runs all measurements
//   bench_tarnik_bench NAME...    runs the named ones (read, heidelberg, tridas, csv,
//                                 compact, catras, sheffield, besancon, vformat, trend,
//                                 noise, cgcv1, scipy, cloud, classes, export, by-age,
//                                 by-year, rcs-curve, dot-clouds, by-age-files,
//                                 by-year-files, rcs-curve-files, dot-clouds-files,
//                                 rcs-dialog, past4, xlsx)
//   bench_tarnik_bench --generate FILE   writes the full-capacity test file only
//   bench_tarnik_bench --full-detail ... the same, with every point of a plot handed
//                                 to the plotting library (the drawing before it
//                                 was done at the device's resolution)
//
// Each measurement runs in a child process of its own, so its peak memory
// (VmHWM) is its own. Times are wall-clock seconds (the best of the runs where
// several are made) and the processor time of the measured work.
//
// The display rows draw one display of 22000 x 210 rings on every device: the
// screen image (tarnik_screen.png, as without a display), PostScript in black and
// white and in colour, and the screen window where an X display is reachable
// (it then closes without waiting). Their time is that of the slowest device;
// the notes give each. The "-files" rows save the same displays in colour
// (option 88) as PDF, SVG and PNG, the file type chosen by the name.

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <plplot/plplot.h>
#include <zip.h>

#include "clouds/cloud_build.h"
#include "clouds/cloud_drawing.h"
#include "console/console.h"
#include "console/record_format.h"
#include "console/textfile.h"
#include "data/limits.h"
#include "data/stores.h"
#include "driver/driver.h"
#include "plot/appearance.h"
#include "plot/cycle.h"
#include "plot/series_display.h"
#include "rcs/rcs.h"
#include "spline/bandwidth.h"
#include "spline/cgcv1.h"

using namespace tarnik;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// The formats other than decadal whose full-capacity files the "read" rows time.
constexpr const char* kOtherFormats[] = {"heidelberg", "tridas", "csv",      "compact",
                                         "catras",     "sheffield", "besancon", "vformat",
                                         "past4",      "xlsx"};

struct Figure {
    double seconds = 0.0;  // wall clock
    double cpu = 0.0;      // processor time
    std::string note;      // what else the measurement found
};

double cpu_now() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Times one call of work().
Figure timed(const std::function<void()>& work) {
    const auto t0 = Clock::now();
    const double c0 = cpu_now();
    work();
    return {std::chrono::duration<double>(Clock::now() - t0).count(), cpu_now() - c0, {}};
}

// Mean time per call, over enough calls to take about half a second.
Figure per_call(const std::function<void()>& work) {
    for (int reps = 1;; reps *= 2) {
        Figure f = timed([&] {
            for (int r = 0; r < reps; ++r) work();
        });
        if (f.seconds > 0.5) return {f.seconds / reps, f.cpu / reps, {}};
    }
}

// Time of one cgcv1 call on v with the bandwidth request jdt.
Figure cgcv1_call(const std::vector<float>& v, std::int32_t jdt) {
    std::vector<float> fit(v.size()), se(v.size());
    const auto n = static_cast<std::int32_t>(v.size());
    return per_call([&] {
        std::int32_t request = jdt;
        float var = -1.0f;
        spline::cgcv1(MaxYears, n, v, fit, request, var, se);
    });
}

// 22000 series of 210 rings (1790-1999) in decadal layout with the 999 marker.
// Widths in 0.01 mm follow a declining age trend with 30 % noise from a fixed
// pseudo-random sequence, as ring widths do; `noise_only` gives trendless noise
// instead (the slowest case for the minimum-GCV search, which then runs to the
// straight-line limit).
void generate(const std::string& path, bool noise_only = false) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fputs("full-capacity benchmark file: 22000 series of 210 rings\n", f);
    std::uint32_t state = 12345;
    for (int s = 0; s < MaxSeries; ++s) {
        char id[16];
        std::snprintf(id, sizeof id, "B%07d", s);
        int year = 1790;
        for (int left = 210; left >= 0;) {
            std::fprintf(f, "%-8.8s%4d", id, year);
            for (int k = 0, count = 10 - year % 10; k < count && left >= 0; ++k, --left) {
                state = state * 1664525u + 1013904223u;
                const double noise = static_cast<double>((state >> 8) % 1000) / 1000.0 - 0.5;  // -0.5 .. 0.5
                const int age = 210 - left + 1;
                const double trend = noise_only ? 250.0 : 60.0 + 300.0 * std::exp(-age / 60.0);
                const auto width = static_cast<unsigned>(trend * (1.0 + (noise_only ? 1.6 : 0.6) * noise));
                std::fprintf(f, "%6u", left == 0 ? 999u : width);
            }
            std::fputc('\n', f);
            year = year / 10 * 10 + 10;
        }
    }
    std::fclose(f);
}

// The widths of the full-capacity file (0.01 mm), series after series: the
// same pseudo-random sequence as generate() writes.
std::vector<int> full_widths() {
    std::vector<int> w;
    w.reserve(static_cast<std::size_t>(MaxSeries) * 210);
    std::uint32_t state = 12345;
    for (int s = 0; s < MaxSeries; ++s) {
        for (int k = 0; k < 210; ++k) {
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>((state >> 8) % 1000) / 1000.0 - 0.5;
            const double trend = 60.0 + 300.0 * std::exp(-(k + 1) / 60.0);
            w.push_back(static_cast<int>(trend * (1.0 + 0.6 * noise)));
        }
    }
    return w;
}

// The full-capacity file (22000 series of 210 rings, 1790-1999) as another
// program would write it: Heidelberg with ten 6-column fields a line, TRiDaS
// with one <value> a line and the names on the elements (every series titled
// "1", the hardest case for the identifiers), a CSV table in millimetres with
// a year column, compact with 20F4.0 records, Besançon with its keys on one
// line and ten values a line, the V format (version 2) with ten 8-column
// fields a line, or a PAST4 project with one RECORD a series, its HEADER and
// one tab-separated line a ring.
void generate_other(const std::string& path, const std::string& format) {
    const std::vector<int> w = full_widths();
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const auto at = [&](int s, int k) { return w[static_cast<std::size_t>(s) * 210 + static_cast<std::size_t>(k)]; };
    if (format == "heidelberg") {
        for (int s = 0; s < MaxSeries; ++s) {
            std::fprintf(f, "HEADER:\r\nKeyCode=B%07d\r\nDataFormat=Tree\r\nLength=210\r\nDateBegin=1790\r\n"
                            "DateEnd=1999\r\nUnit=1/100 mm\r\nDATA:Tree\r\n", s);
            for (int k = 0; k < 210; ++k) std::fprintf(f, "%6d%s", at(s, k), k % 10 == 9 ? "\r\n" : "");
        }
    } else if (format == "tridas") {
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tridas xmlns=\"http://www.tridas.org/1.2.2\">\n"
                   "  <project>\n    <title></title>\n    <object>\n      <title></title>\n", f);
        for (int s = 0; s < MaxSeries; ++s) {
            std::fprintf(f, "      <element>\n        <title>B%07d</title>\n        <sample>\n          <title>1</title>\n"
                            "          <radius>\n            <title>1</title>\n            <measurementSeries>\n"
                            "              <title>1</title>\n              <interpretation>\n"
                            "                <firstYear suffix=\"AD\">1790</firstYear>\n"
                            "                <lastYear suffix=\"AD\">1999</lastYear>\n              </interpretation>\n"
                            "              <values>\n                <variable normalTridas=\"ring width\"/>\n"
                            "                <unit normalTridas=\"1/100th millimetres\"/>\n", s);
            for (int k = 0; k < 210; ++k) std::fprintf(f, "                <value value=\"%d\"/>\n", at(s, k));
            std::fputs("              </values>\n            </measurementSeries>\n          </radius>\n"
                       "        </sample>\n      </element>\n", f);
        }
        std::fputs("    </object>\n  </project>\n</tridas>\n", f);
    } else if (format == "csv") {
        std::fputs("\"Year\"", f);
        for (int s = 0; s < MaxSeries; ++s) std::fprintf(f, ",\"B%07d\"", s);
        std::fputc('\n', f);
        for (int k = 0; k < 210; ++k) {
            std::fprintf(f, "%d", 1790 + k);
            for (int s = 0; s < MaxSeries; ++s) std::fprintf(f, ",%d.%02d", at(s, k) / 100, at(s, k) % 100);
            std::fputc('\n', f);
        }
    } else if (format == "besancon") {
        for (int s = 0; s < MaxSeries; ++s) {
            std::fprintf(f, ". B%07d\r\n  LON 210 ORI 1790 TER 1999\r\nVAL  NAT.:  B%07d\r\n", s, s);
            for (int k = 0; k < 210; ++k) std::fprintf(f, " %d%s", at(s, k), k % 10 == 9 ? "\r\n" : "");
            std::fputs("  ;\r\n", f);
        }
    } else if (format == "vformat") {
        for (int s = 0; s < MaxSeries; ++s) {
            std::fprintf(f, "B%07d.!OJmm   210Qusp  1999%38s 2  0 0  0 0\r\n%80s\r\n", s, "", "");
            for (int k = 0; k < 210; ++k) std::fprintf(f, "%8d%s", at(s, k), k % 10 == 9 ? "\r\n" : "");
        }
    } else if (format == "past4") {
        std::fputs("<?xml version=\"1.0\"?>\n<PAST_4_PROJECT_FILE>\n  <PROJECT Name=\"bench\" Version=\"400\" "
                   "Groups=\"1\" Records=\"22000\"><![CDATA[]]></PROJECT>\n  <GROUP Name=\"all\" Visible=\"TRUE\" "
                   "Owner=\"-1\"><![CDATA[]]></GROUP>\n", f);
        for (int s = 0; s < MaxSeries; ++s) {
            std::fprintf(f, "  <RECORD Keycode=\"B%07d\" Length=\"210\" Owner=\"0\" Chrono=\"FALSE\" Offset=\"1790\" "
                            "IsMeanValue=\"0\" Pith=\"FALSE\" SapWood=\"0\" Species=\"PISY\">\n"
                            "    <HEADER><![CDATA[Unit=1/100 mm\n]]></HEADER>\n    <DATA><![CDATA[", s);
            for (int k = 0; k < 210; ++k) std::fprintf(f, "%d\t1\t0\t0\t%d\t\n", at(s, k), at(s, k));
            std::fputs("]]></DATA>\n  </RECORD>\n", f);
        }
        std::fputs("</PAST_4_PROJECT_FILE>\n", f);
    } else {
        for (int s = 0; s < MaxSeries; ++s) {
            std::fprintf(f, "210=N 1790=I B%07d%54s-2(20F4.0)~\n", s, "");
            for (int k = 0; k < 210; ++k) std::fprintf(f, "%4d%s", at(s, k), k % 20 == 19 || k == 209 ? "\n" : "");
        }
    }
    std::fclose(f);
}

// The full-capacity data as a folder of 22000 one-series files, as a lab keeps
// them: CATRAS files (a 128-byte header, the values padded to whole 128-byte
// records) or Sheffield files (22 header lines, one value a line).
void generate_folder(const std::string& path, const std::string& format) {
    const std::vector<int> w = full_widths();
    fs::create_directories(path);
    std::string content;
    for (int s = 0; s < MaxSeries; ++s) {
        char name[32];
        std::snprintf(name, sizeof name, "B%07d", s);
        content.clear();
        const auto at = [&](int k) { return w[static_cast<std::size_t>(s) * 210 + static_cast<std::size_t>(k)]; };
        if (format == "catras") {
            content.assign(128, '\0');
            content.replace(0, 32, "full-capacity benchmark series  ");
            content.replace(32, 8, name);
            content.replace(40, 3, "CAT");
            const auto put16 = [&](std::size_t i, int v) {
                content[i] = static_cast<char>(v & 0xff);
                content[i + 1] = static_cast<char>((v >> 8) & 0xff);
            };
            put16(44, 210);
            put16(54, 1790);
            content[66] = 1;
            for (int k = 0; k < 210; ++k) {
                content.resize(content.size() + 2);
                put16(content.size() - 2, at(k));
            }
            content.resize((content.size() + 127) / 128 * 128, '\0');
        } else {
            content = std::string("full-capacity benchmark series\n210\nA\n11790\nR\n");
            for (int k = 6; k <= 21; ++k) content += "?\n";
            content += "D\n";
            for (int k = 0; k < 210; ++k) content += std::to_string(at(k)) + "\n";
        }
        const fs::path file = fs::path(path) / (std::string(name) + (format == "catras" ? ".CAT" : ".d"));
        std::FILE* f = std::fopen(file.c_str(), "wb");
        if (!f || std::fwrite(content.data(), 1, content.size(), f) != content.size() || std::fclose(f) != 0) {
            std::perror(path.c_str());
            std::exit(1);
        }
    }
}

// The widest table a workbook holds as an .xlsx: a year column and 16383
// series of 210 rings (about 3.4 million cells), the names as shared strings,
// the widths in millimetres as numbers.
void generate_xlsx(const std::string& path) {
    constexpr int kSeries = 16383;
    const std::vector<int> w = full_widths();
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::string strings = "<sst xmlns=\"" + main + "\"><si><t>Year</t></si>";
    std::string sheet = "<worksheet xmlns=\"" + main + "\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>";
    char cell[96];
    for (int s = 0; s < kSeries; ++s) {
        std::snprintf(cell, sizeof cell, "<si><t>B%07d</t></si>", s);
        strings += cell;
        std::snprintf(cell, sizeof cell, "<c t=\"s\"><v>%d</v></c>", s + 1);
        sheet += cell;
    }
    strings += "</sst>";
    sheet += "</row>";
    for (int k = 0; k < 210; ++k) {
        std::snprintf(cell, sizeof cell, "<row r=\"%d\"><c r=\"A%d\"><v>%d</v></c>", k + 2, k + 2, 1790 + k);
        sheet += cell;
        for (int s = 0; s < kSeries; ++s) {
            const int v = w[static_cast<std::size_t>(s) * 210 + static_cast<std::size_t>(k)];
            std::snprintf(cell, sizeof cell, "<c><v>%d.%02d</v></c>", v / 100, v % 100);
            sheet += cell;
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    const std::string workbook = "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                                 "\"><sheets><sheet name=\"widths\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const std::string rels = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                             "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                             "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                             "</Relationships>";
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    const std::pair<const char*, const std::string*> parts[] = {{"xl/workbook.xml", &workbook},
                                                                {"xl/_rels/workbook.xml.rels", &rels},
                                                                {"xl/sharedStrings.xml", &strings},
                                                                {"xl/worksheets/sheet1.xml", &sheet}};
    for (const auto& [name, text] : parts)
        if (!zip || zip_file_add(zip, name, zip_source_buffer(zip, text->data(), text->size(), 0), 0) < 0) std::exit(1);
    if (zip_close(zip) != 0) std::exit(1);
}

bool is_folder_format(const std::string& format) { return format == "catras" || format == "sheffield"; }

std::string other_file(const std::string& format) {
    const std::string p = (fs::temp_directory_path() / ("tarnik-bench-full." + format)).string();
    if (!fs::exists(p)) {
        if (is_folder_format(format)) generate_folder(p, format);
        else if (format == "xlsx") generate_xlsx(p);
        else generate_other(p, format);
    }
    return p;
}

// The size of a file, or of all files of a folder.
std::uintmax_t data_size(const std::string& path) {
    if (!fs::is_directory(path)) return fs::file_size(path);
    std::uintmax_t size = 0;
    for (const auto& e : fs::directory_iterator(path)) size += e.file_size();
    return size;
}

Figure run_dialog(const std::string& answers);
Figure best_of(int runs, const std::function<Figure()>& one);

// Reading the full-capacity file in another format, with the file's size and
// the memory limit (twice the file plus 100 MB; 500 MB for a workbook) in the note.
Figure read_other(const std::string& format) {
    const std::string file = other_file(format);
    Figure f = best_of(3, [&] { return run_dialog(file + "\nf\n1\n5\n"); });
    const double mb = static_cast<double>(data_size(file)) / (1024.0 * 1024.0);
    char note[96];
    std::snprintf(note, sizeof note, "%s %.0f MB, memory limit %.0f MB", is_folder_format(format) ? "files" : "file",
                  mb, format == "xlsx" ? 500.0 : 2.0 * mb + 100.0);
    f.note = note;
    return f;
}

// The whole program dialog on the given answers, output discarded.
Figure run_dialog(const std::string& answers) {
    std::FILE* in = fmemopen(const_cast<char*>(answers.data()), answers.size(), "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    Console con(in, out);
    Figure f = timed([&] { run_program(con); });
    std::fclose(in);
    std::fclose(out);
    return f;
}

Figure best_of(int runs, const std::function<Figure()>& one) {
    Figure best = one();
    for (int r = 1; r < runs; ++r) {
        Figure f = one();
        if (f.seconds < best.seconds) best = f;
    }
    return best;
}

// Ring-width-like values: an age trend, a slow wave and noise.
std::vector<float> trend_series(int n, std::uint64_t seed) {
    std::vector<float> v(static_cast<std::size_t>(n));
    std::uint64_t s = seed * 0x9E3779B97F4A7C15ull + 1;
    for (int i = 0; i < n; ++i) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        const double u = static_cast<double>(s >> 11) * 0x1.0p-53 - 0.5;
        v[static_cast<std::size_t>(i)] =
            static_cast<float>(0.4 + 1.6 * std::exp(-i / 60.0) + 0.2 * std::sin(i / 23.0) + 0.4 * u);
    }
    return v;
}

// Stores of nser synthetic series of `len` rings, first years spread over 1700..1889.
Stores synthetic_stores(std::int32_t nser, std::int32_t len) {
    Stores st;
    std::uint32_t s = 2024;
    std::int32_t next = 1;
    for (std::int32_t j = 0; j < nser; ++j) {
        SeriesRecord r;
        r.first_index = next;
        r.length = len;
        r.last_index = next + len - 1;
        r.first_year = 1700 + j % 190;
        r.scale = 100;
        st.series.push_back(r);
        std::string id = std::to_string(j);
        id.insert(id.begin(), 'S');  // not "S" + ...: g++ 12 warns falsely on that inlined insert
        st.series_ids.push_back(std::move(id));
        for (std::int32_t k = 0; k < len; ++k) {
            s = s * 1664525u + 1013904223u;
            st.values.push_back(50 + static_cast<std::int32_t>((s >> 8) % 200));
        }
        next += len;
        ++st.nser;
    }
    st.total = static_cast<std::int64_t>(st.values.size());
    summarise_stores(st);
    return st;
}

Figure build_clouds(const Stores& st, clouds::DotCloudState& s) {
    std::FILE* devnull = std::fopen("/dev/null", "w");
    Console con(stdin, devnull);
    TextFile report;
    report.open("/dev/null");
    Figure f = timed([&] {
        if (clouds::build_clouds(con, st, report, s, AnalysisVariable::ring_widths) != clouds::BuildResult::Built) std::exit(2);
    });
    std::fclose(devnull);
    return f;
}

// One drawing with the given answers on the console (PostScript file names, the
// pause before a dot-cloud plot), its output discarded.
Figure draw_once(const std::string& answers, const std::function<void(Console&)>& draw) {
    std::FILE* in = fmemopen(const_cast<char*>(answers.data()), answers.size(), "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    Figure f;
    {
        Console con(in, out);
        f = timed([&] { draw(con); });
    }
    std::fclose(in);
    std::fclose(out);
    return f;
}

// A display drawn on every device: `draw` draws it on the named device ("Mac1",
// "ps", "psc"); `before` is what the display reads from the console first.
Figure on_every_device(const std::string& before, const std::function<void(Console&, const char*)>& draw) {
    const char* d = std::getenv("DISPLAY");
    const std::string display = d != nullptr ? d : "";
    unsetenv("DISPLAY");
    const Figure image = best_of(2, [&] { return draw_once(before, [&](Console& con) { draw(con, "Mac1"); }); });
    const Figure ps = draw_once(before + "bench-bw.ps\n", [&](Console& con) { draw(con, "ps"); });
    const Figure psc = draw_once(before + "bench-colour.ps\n", [&](Console& con) { draw(con, "psc"); });
    Figure slowest = image;
    for (const Figure* f : {&ps, &psc})
        if (f->seconds > slowest.seconds) slowest = *f;
    char note[160];
    std::snprintf(note, sizeof note, "image %.2f s, ps %.2f s, psc %.2f s", image.seconds, ps.seconds, psc.seconds);
    slowest.note = note;
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    if (!display.empty() && plot::screen_window_available()) {
        const Figure window = draw_once(before, [&](Console& con) {
            plspause(0);  // the window closes at once instead of waiting for the user
            draw(con, "Mac1");
        });
        if (window.seconds > slowest.seconds) {
            slowest.seconds = window.seconds;
            slowest.cpu = window.cpu;
        }
        std::snprintf(note, sizeof note, ", window %.2f s", window.seconds);
        slowest.note += note;
    } else {
        slowest.note += ", no X display for the window";
    }
    return slowest;
}

// A display saved in colour as PDF, SVG and PNG: the slowest, the notes give each.
Figure saved_as_files(const std::string& before, const std::function<void(Console&, const char*)>& draw) {
    Figure slowest;
    std::string note;
    for (const char* name : {"bench.pdf", "bench.svg", "bench.png"}) {
        const Figure f = draw_once(before + name + "\n", [&](Console& con) { draw(con, "psc"); });
        if (f.seconds > slowest.seconds) slowest = f;
        char b[96];
        std::snprintf(b, sizeof b, "%s%s %.2f s %.2f MB", note.empty() ? "" : ", ", name + 6, f.seconds,
                      static_cast<double>(fs::file_size(name)) / 1e6);
        note += b;
    }
    slowest.note = note;
    return slowest;
}

enum class Devices { Every, SavedFiles };

// Every series in one panel (the widths, with the regional curve or without),
// by cambial age or calendar year.
Figure series_display(SeriesAlignment alignment, AnalysisVariable variable, Devices devices = Devices::Every) {
    const Stores st = synthetic_stores(MaxSeries, 210);
    std::vector<float> curve;
    if (variable == AnalysisVariable::widths_with_regional_curve) {
        const std::vector<float> mean = rcs::mean_by_age(st);
        curve.assign(mean.begin() + st.summary.min_first_age, mean.begin() + st.summary.max_last_age + 1);
    }
    const plot::SeriesDisplayInput in{variable, alignment, st.summary.y_min, st.summary.y_max, curve, "bench"};
    plot::PlotAppearance ap;
    bool dark = false;
    const plot::PlotKind kind =
        alignment == SeriesAlignment::cambial_age ? plot::PlotKind::series_by_age : plot::PlotKind::series_by_year;
    draw_once("", [&](Console& con) {
        plot::plot_style_dialog(con, plot::StyleOption::restore_defaults, ap, kind, 0, {}, {}, dark);
    });
    plot::series_ranges(st, in, plot::series_y_top(in.y_max), ap);
    const auto draw = [&](Console& con, const char* device) { plot::draw_series(con, device, st, in, ap, dark); };
    return devices == Devices::Every ? on_every_device("", draw) : saved_as_files("", draw);
}

// The dot-cloud display of 22000 x 210 rings in 42 classes of 5 ages each.
Figure dot_cloud_display(Devices devices = Devices::Every) {
    const Stores st = synthetic_stores(MaxSeries, 210);
    clouds::DotCloudState s;
    s.cs.classnum = 42;
    for (std::size_t k = 0; k < 42; ++k) {
        s.cs.start_age[k] = 1 + 5 * static_cast<std::int32_t>(k);
        s.cs.stop_age[k] = s.cs.start_age[k] + 4;
        s.cs.jdt[k] = 50;
    }
    draw_once("", [&](Console& con) {
        plot::plot_style_dialog(con, plot::StyleOption::restore_defaults, s.ap, plot::PlotKind::dot_clouds, s.cs.classnum, std::span<const std::int32_t>(s.cs.start_age),
                        std::span<const std::int32_t>(s.cs.stop_age), s.dark);
    });
    build_clouds(st, s);
    const auto draw = [&](Console& con, const char* device) {
        s.device = device;
        clouds::draw_dot_clouds(con, s, "bench");
    };
    return devices == Devices::Every ? on_every_device("\n", draw) : saved_as_files("\n", draw);
}

// Seconds per scipy make_smoothing_spline fit of v at lam, or < 0 without scipy.
double scipy_seconds(const std::vector<float>& v, double lam) {
    const fs::path dir = fs::temp_directory_path() / ("tarnik-bench-scipy-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream data(dir / "values.txt");
        for (float x : v) data << static_cast<double>(x) << "\n";
        std::ofstream py(dir / "time_scipy.py");
        py << "import sys, timeit, numpy as np\n"
              "from scipy.interpolate import make_smoothing_spline\n"
              "y = np.loadtxt(sys.argv[1]); x = np.arange(1.0, len(y) + 1)\n"
              "lam = float(sys.argv[2])\n"
              "t = timeit.Timer(lambda: make_smoothing_spline(x, y, lam=lam)(x))\n"
              "n, _ = t.autorange()\n"
              "print(min(t.repeat(3, n)) / n)\n";
    }
    char lam_text[40];
    std::snprintf(lam_text, sizeof lam_text, "%.17g", lam);
    const std::string command = "/usr/bin/python3 " + (dir / "time_scipy.py").string() + " " +
                                (dir / "values.txt").string() + " " + lam_text + " 2>/dev/null";
    double t = -1.0;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        if (std::fscanf(pipe, "%lf", &t) != 1) t = -1.0;
        if (pclose(pipe) != 0) t = -1.0;
    }
    fs::remove_all(dir);
    return t;
}

struct Case {
    const char* name;
    const char* what;
    const char* target;
    std::function<Figure()> run;
};

std::string full_file(bool noise_only = false) {
    const std::string p = (fs::temp_directory_path() / (noise_only ? "tarnik-bench-noise.rwl" : "tarnik-bench-full.rwl")).string();
    if (!fs::exists(p)) generate(p, noise_only);
    return p;
}

std::vector<Case> cases() {
    return {
        {"read", "read 22000 x 210 rings, summary (whole dialog)", "< 1 s",
         [] { return best_of(3, [] { return run_dialog(full_file() + "\nf\n1\n5\n"); }); }},
        {"heidelberg", "read 22000 x 210 rings, Heidelberg file (whole dialog)", "< 1 s",
         [] { return read_other("heidelberg"); }},
        {"tridas", "read 22000 x 210 rings, TRiDaS file (whole dialog)", "< 3 s",
         [] { return read_other("tridas"); }},
        {"csv", "read 22000 x 210 rings, CSV table (whole dialog)", "< 1 s", [] { return read_other("csv"); }},
        {"compact", "read 22000 x 210 rings, compact file (whole dialog)", "", [] { return read_other("compact"); }},
        {"catras", "read a folder of 22000 CATRAS files of 210 rings (whole dialog)", "< 2 s",
         [] { return read_other("catras"); }},
        {"sheffield", "read a folder of 22000 Sheffield files of 210 rings (whole dialog)", "< 1 s",
         [] { return read_other("sheffield"); }},
        {"besancon", "read 22000 x 210 rings, Besancon file (whole dialog)", "< 1 s",
         [] { return read_other("besancon"); }},
        {"vformat", "read 22000 x 210 rings, V format file (whole dialog)", "< 1 s",
         [] { return read_other("vformat"); }},
        {"past4", "read 22000 x 210 rings, PAST4 project (whole dialog)", "< 1 s",
         [] { return read_other("past4"); }},
        {"xlsx", "read 16383 x 210 rings, Excel workbook (whole dialog)", "< 3 s, < 500 MB",
         [] { return read_other("xlsx"); }},
        {"trend", "spline trend values, 22000 x 210, minimum GCV (whole dialog)", "< 3 s",
         [] { return best_of(2, [] { return run_dialog(full_file() + "\nf\n2\n0\n5\n"); }); }},
        {"noise", "spline trend values, 22000 x 210 of trendless noise (worst case)", "< 3 s",
         [] { return best_of(2, [] { return run_dialog(full_file(true) + "\nf\n2\n0\n5\n"); }); }},
        {"cgcv1", "cgcv1 n = 2100: fixed bandwidth 30 / minimum-GCV search", "linear in n",
         [] {
             const std::vector<float> v = trend_series(2100, 1);
             const Figure fixed = cgcv1_call(v, 30);
             const Figure gcv = cgcv1_call(v, -1);
             char note[96];
             std::snprintf(note, sizeof note, "search %.2f ms", gcv.seconds * 1e3);
             return Figure{fixed.seconds, fixed.cpu, note};
         }},
        {"scipy", "same fixed fit by scipy make_smoothing_spline", ">= 10x slower",
         [] {
             const std::vector<float> v = trend_series(2100, 1);
             const Figure ours = cgcv1_call(v, 30);
             double p = 0.0;
             spline::sb1bw2p(30.0f, p);
             // scipy minimises sum (y - g)^2 + lam * integral g''^2; lam = rho / 2 = 1 / (2p).
             const double sp = scipy_seconds(v, 1.0 / (2.0 * p));
             if (sp <= 0.0) return Figure{0.0, 0.0, "scipy not available"};
             char note[64];
             std::snprintf(note, sizeof note, "ours %.0fx faster", sp / ours.seconds);
             return Figure{sp, 0.0, note};
         }},
        {"cloud", "one age-class cloud of 10^4 / 10^5 / 10^6 points, build + GCV fit", "10^6 < 1 s",
         [] {
             Figure last;
             std::string note;
             for (std::int32_t n : {10000, 100000, 1000000}) {
                 const Stores st = synthetic_stores(n / 50, 60);
                 clouds::DotCloudState s;
                 s.cs.classnum = 1;
                 s.cs.start_age[0] = 1;
                 s.cs.stop_age[0] = 50;
                 last = build_clouds(st, s);
                 char b[48];
                 std::snprintf(b, sizeof b, "%s%.3f s", note.empty() ? "" : " / ", last.seconds);
                 note += b;
             }
             last.note = note;
             return last;
         }},
        {"classes", "dot-cloud build of 22000 x 210 with 50 classes", "memory follows data",
         [] {
             const Stores st = synthetic_stores(MaxSeries, 210);
             clouds::DotCloudState s;
             s.cs.classnum = 50;
             for (std::size_t k = 0; k < 50; ++k) {
                 s.cs.start_age[k] = 1 + 4 * static_cast<std::int32_t>(k);
                 s.cs.stop_age[k] = s.cs.start_age[k] + 4;
                 s.cs.jdt[k] = k % 2 == 0 ? 0 : -10;
             }
             return build_clouds(st, s);
         }},
        {"export", "column table 2100 rows x 22000 series (46 M F8.3 fields)", "a few s",
         [] {
             const fmt::RecordFormat format("(1x,i4,i10,21000(1x,f8.3))");
             std::mt19937 rng(1);
             std::vector<float> row(MaxSeries);
             for (float& x : row) x = (rng() % 3 == 0) ? 0.0f : static_cast<float>(rng() % 600) / 100.0f;
             std::FILE* out = std::fopen("/dev/null", "w");
             std::string text;
             Figure f = timed([&] {
                 for (int r = 0; r < MaxYears; ++r) {
                     text.clear();
                     fmt::RecordWriter w(format, text);
                     w.put(1 + r);
                     w.put(MaxSeries);
                     for (int s = 0; s < MaxSeries; ++s) w.put(row[static_cast<std::size_t>((s + r) % MaxSeries)]);
                     w.finish();
                     std::fwrite(text.data(), 1, text.size(), out);
                 }
             });
             std::fclose(out);
             return f;
         }},
        {"by-age", "series display by cambial age, 22000 x 210 (every device)", "< 2 s",
         [] { return series_display(SeriesAlignment::cambial_age, AnalysisVariable::ring_widths); }},
        {"by-year", "series display by calendar year, 22000 x 210 (every device)", "< 2 s",
         [] { return series_display(SeriesAlignment::calendar_year, AnalysisVariable::ring_widths); }},
        {"rcs-curve", "regional curve over the widths, 22000 x 210 (every device)", "< 2 s",
         [] { return series_display(SeriesAlignment::cambial_age, AnalysisVariable::widths_with_regional_curve); }},
        {"dot-clouds", "dot-cloud display, 22000 x 210 in 42 classes (every device)", "< 2 s",
         [] { return dot_cloud_display(); }},
        {"by-age-files", "series display by cambial age saved as PDF / SVG / PNG", "< 2 s",
         [] { return series_display(SeriesAlignment::cambial_age, AnalysisVariable::ring_widths, Devices::SavedFiles); }},
        {"by-year-files", "series display by calendar year saved as PDF / SVG / PNG", "< 2 s",
         [] { return series_display(SeriesAlignment::calendar_year, AnalysisVariable::ring_widths, Devices::SavedFiles); }},
        {"rcs-curve-files", "regional curve over the widths saved as PDF / SVG / PNG", "< 2 s",
         [] { return series_display(SeriesAlignment::cambial_age, AnalysisVariable::widths_with_regional_curve, Devices::SavedFiles); }},
        {"dot-clouds-files", "dot-cloud display, 42 classes, saved as PDF / SVG / PNG", "< 2 s",
         [] { return dot_cloud_display(Devices::SavedFiles); }},
        {"rcs-dialog", "regional curve dialog, bandwidth 50, no refit (whole dialog)", "< 5 s",
         [] {
             unsetenv("DISPLAY");
             return best_of(2, [] { return run_dialog(full_file() + "\nf\n3\n50\n-1\nf\nf\n-1\n5\n"); });
         }},
    };
}

long peak_kb() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--generate") == 0) {
        generate(argv[2]);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--full-detail") == 0) {
        plot::set_full_detail(true);
        --argc;
        ++argv;
    }
    const fs::path dir = fs::temp_directory_path() / ("tarnik-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    full_file();
    full_file(true);

    std::printf("%-66s %10s %10s %9s  %-20s %s\n", "measurement", "seconds", "cpu s", "peak MB", "target", "notes");
    for (const Case& c : cases()) {
        bool wanted = argc == 1;
        for (int i = 1; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], c.name) == 0;
        if (!wanted) continue;
        // The files of other formats are written here, so that the writing
        // counts in no measurement's time or memory.
        for (const char* format : kOtherFormats)
            if (std::strcmp(c.name, format) == 0) other_file(format);
        std::fflush(stdout);
        int fds[2];
        if (pipe(fds) != 0) return 1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            Figure f = c.run();
            char line[512];
            const int n = std::snprintf(line, sizeof line, "%-66s %10.4f %10.4f %9.1f  %-20s %s\n", c.what, f.seconds,
                                        f.cpu, static_cast<double>(peak_kb()) / 1024.0, c.target, f.note.c_str());
            if (write(fds[1], line, static_cast<std::size_t>(n)) < 0) _exit(1);
            _exit(0);
        }
        close(fds[1]);
        char buf[512];
        ssize_t got;
        while ((got = read(fds[0], buf, sizeof buf)) > 0) std::fwrite(buf, 1, static_cast<std::size_t>(got), stdout);
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf("%-66s failed\n", c.what);
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    fs::remove(fs::temp_directory_path() / "tarnik-bench-full.rwl");
    fs::remove(fs::temp_directory_path() / "tarnik-bench-noise.rwl");
    for (const char* format : kOtherFormats)
        fs::remove_all(fs::temp_directory_path() / (std::string("tarnik-bench-full.") + format));
    return 0;
}
