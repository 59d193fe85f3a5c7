#include "driver/driver.h"

namespace tarnik {

int run_program(Console& con) {
    con.line();
    return 0;
}

}  // namespace tarnik
