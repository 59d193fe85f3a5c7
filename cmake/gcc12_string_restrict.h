// Put in front of every translation unit by CMakeLists.txt when the compiler is g++ 12.
//
// g++ 12 warns with -Wrestrict inside the standard library's std::string code
// (bits/char_traits.h) wherever an expression such as "text" + str is inlined:
// a false positive of that compiler (GCC bug 105329), not a fault of the
// calling code. <string> is included here first, with that one warning off
// while its headers are read; the warning state belongs to the header lines, so
// the project's own code is still checked for -Wrestrict.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#include <string>
#pragma GCC diagnostic pop
