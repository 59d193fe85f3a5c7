#include "driver/dialogs.h"

#include <filesystem>

#include "console/errors.h"
#include "console/format.h"
#include "console/textfile.h"
#include "data/limits.h"
#include "input/formats.h"
#include "input/pith_offsets.h"

namespace tarnik {
namespace {


struct OffsetFile {
    std::string name, content;
};

// Asks for the offset file's name until a file of that name exists and can be
// read to its end.
OffsetFile ask_offset_file(Console& con, const std::string& input_name) {
    for (;;) {
        con.line();
        con.line("Enter the name of the pith offset file for these measurements.");
        con.line("WARNING: the order of pith offset information must follow");
        con.line("the order of the records in the raw ring width file > " + fmt::pad(input_name, 40));
        con.blank(2);
        std::string name(trim_right(con.ask("Enter pith offset file name : ")));
        std::error_code ec;
        const bool found = !name.empty() && std::filesystem::is_regular_file(name, ec);
        TextProblem problem;
        if (found) {
            // The text as the ring-width readers take theirs: without a
            // byte-order mark, UTF-16 converted.
            if (auto bytes = read_whole_file(name))
                if (auto text = text_of(std::move(*bytes), problem)) return {name, std::move(*text)};
        }
        con.blank(2);
        con.line("File > " + fmt::pad(name, 40) + (found ? " < cannot be read" : " < not found"));
        if (!problem.what.empty()) con.line(" Line " + std::to_string(problem.line) + ": " + problem.what + ".");
        con.line("Please enter a new file name or terminate the program");
    }
}

// Asks for the reading method and returns the record reader with its format text.
OffsetRecordReader ask_method(Console& con, std::string& format_text) {
    for (;;) {
        con.line("Select method to read only the offset information.");
        con.line();
        con.line("Single column offset ie. <i4>    [1]");
        con.line("User defined fortran format      [2]");
        auto choice = parse_int_field(con.ask("Enter option number             : "), 2);
        if (choice == 1) {
            format_text = "(i4)";
            return read_i4_record;
        }
        if (choice == 2) {
            for (;;) {
                con.line();
                con.line("Enter format to read just the ");
                con.line("offset values (within parentheses)");
                format_text = std::string(trim_right(con.ask("[e.g.,(2x,i3)]                  : ")));
                std::string error;
                if (auto reader = user_format_reader(format_text, error)) return *reader;
                con.line();
                con.line(" The format " + format_text + " cannot be used: " + error);
            }
        }
        // Not 1 or 2, or not a number.
        con.line();
        con.line("Please enter a value between 1 and 2 ");
        con.pause(" Hit RETURN and try again.");
    }
}

}  // namespace

std::string pith_offset_dialog(Console& con, const std::string& input_name, std::vector<std::int32_t>& offsets) {
    offsets.clear();
    con.line();
    con.line("Is there a pith offset file ?");
    if (!con.ask_free_logical("[t]rue-[f]alse             : ")) return {};

    const auto [name, content] = ask_offset_file(con, input_name);
    for (;;) {
        std::string format_text;
        OffsetRecordReader reader = ask_method(con, format_text);
        PithOffsets p = read_pith_offsets(content, reader);
        con.line();
        con.line("Reading offset file: " + name);
        con.line();
        con.line("Title Line: " + fmt::pad(p.title.substr(0, 80), 80));
        if (p.too_many) {
            con.line(menu_indent("The number of series offsets " + fmt::I(MaxSeries + 1, 7) + " exceeds"));
            con.line(menu_indent("the maximum allowed. " + fmt::I(MaxSeries, 7) + " Program Terminating..."));
            con.line(menu_indent("This is a fatal error and indicates a dimension violation."));
            con.line(menu_indent("Contact your computer programmer for assisatance"));
            throw ProgramEnd{1};
        }
        if (p.bad_line == 0) {
            offsets = std::move(p.offsets);
            return name;
        }
        // A record the format cannot read: say where, and let the user choose
        // another method or format; nothing of this reading is kept.
        con.line();
        con.line(" Line " + std::to_string(p.bad_line) + " of the pith offset file cannot be read with the format " +
                 format_text + ":");
        con.line(" " + printable(p.bad_text));
        con.line(" No offsets were taken from the file. Please choose the method again.");
        con.line();
    }
}

}  // namespace tarnik
