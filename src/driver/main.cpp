// tarnik: cambially aligned ring-width analysis on the console.

#include <cstdio>
#include <exception>
#include <string>

#include "console/console.h"
#include "console/errors.h"
#include "driver/driver.h"

int main() {
    using namespace tarnik;
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
