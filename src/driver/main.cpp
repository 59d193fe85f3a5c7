// tarnik: cambially aligned ring-width analysis on the console.

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "console/console.h"
#include "console/errors.h"
#include "driver/driver.h"

namespace {

constexpr const char* kUsage =
    "Usage: tarnik\n"
    "       tarnik --help | -h\n"
    "       tarnik --version\n"
    "\n"
    "tarnik analyses age-related trends in tree-ring widths: a smoothing spline per\n"
    "series, regional curve standardisation (RCS) and age-class dot clouds.\n"
    "\n"
    "It takes no arguments. The run is driven through numbered menus, every answer\n"
    "read as one line from standard input, so a session can be scripted by piping\n"
    "the answers in. It reads ring widths in decadal format and as Heidelberg,\n"
    "TRiDaS, PAST4, CSV, compact, CATRAS, Sheffield, Besancon and V format files,\n"
    ".xlsx, .ods and .xls workbooks, or a whole folder of such files, and an\n"
    "optional pith offset file.\n"
    "\n"
    "Plots open in a window where an X display is available; without one they are\n"
    "drawn into tarnik_screen.png in the working directory. The plot menus save a\n"
    "plot as PDF, SVG, PNG or PostScript, by the ending of the file name.\n"
    "\n"
    "Exit status: 0 normal end; 1 a limit exceeded or a file that cannot be used;\n"
    "2 an unreadable ring-width file, a failure of the system or a bad argument;\n"
    "3 end of standard input.\n"
    "\n"
    "The manual: man tarnik (docs/tarnik.1 in the source).\n";

// What the command line asks for. With an argument the program answers and
// ends (the status returned); without one the dialog starts.
std::optional<int> answer_command_line(int argc, char** argv) {
    if (argc <= 1) return std::nullopt;
    const std::string_view arg = argv[1];
    const bool help = arg == "--help" || arg == "-h", version = arg == "--version";
    if (argc == 2 && help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc == 2 && version) {
        std::printf("tarnik %s (%s)\n", tarnik::kProgramVersion, TARNIK_PROJECT_VERSION);
        return 0;
    }
    // An unknown first argument, or anything after a known one.
    const std::string_view bad = (help || version) ? argv[2] : arg;
    std::fprintf(stderr, "tarnik: unknown argument '%.*s'\n\n", static_cast<int>(bad.size()), bad.data());
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarnik;
    if (const auto status = answer_command_line(argc, argv)) return *status;
    Console con(stdin, stdout);
    try {
        return run_program(con);
    } catch (const EndOfInput&) {
        con.line();
        con.line(" End of input: no more answers can be read, so the run ends here.");
        con.flush();
        return 3;
    } catch (const ProgramEnd& e) {
        con.flush();
        return e.status;
    } catch (const InternalError& e) {
        for (const auto& l : e.lines) con.line(l);
        try {
            if (e.pause_field) con.pause_field(e.pause);
            else con.pause(e.pause);
        } catch (const EndOfInput&) {
            con.line();
        }
        con.flush();
        return 2;
    } catch (const std::exception& e) {
        // Out of memory or a failure of the system: the files are closed on the
        // way out, and the run ends with a message instead of an abort.
        con.line();
        con.line(std::string(" The run cannot go on (") + e.what() + "). The run ends here.");
        con.flush();
        return 2;
    }
}
