#include "console/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarnik::fmt {
namespace {

std::string stars(int w) { return std::string(w > 0 ? static_cast<std::size_t>(w) : 0, '*'); }

std::string right(std::string s, int w) {
    if (static_cast<int>(s.size()) > w) return stars(w);
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

}  // namespace

std::string I(std::int64_t v, int w) { return right(std::to_string(v), w); }

std::string F(double v, int w, int d) {
    if (!std::isfinite(v)) {
        std::string s = std::isnan(v) ? "NaN" : (v < 0 ? "-Infinity" : "Infinity");
        if (static_cast<int>(s.size()) > w && std::isinf(v)) s = v < 0 ? "-Inf" : "Inf";
        return right(s, w);
    }
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", d, v);
    std::string s = buf;
    if (d == 0) s += '.';
    if (static_cast<int>(s.size()) > w) {
        // The leading zero of "0.xxx" is optional and dropped when room is short.
        if (s.rfind("0.", 0) == 0) s.erase(0, 1);
        else if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
    }
    return right(s, w);
}

std::string E(double v, int w, int d, char letter) {
    if (!std::isfinite(v)) return F(v, w, d);
    std::string sign = std::signbit(v) ? "-" : "";
    double a = std::fabs(v);
    std::string digits;
    int exponent = 0;
    if (a != 0.0 && d > 0) {
        char buf[512];
        std::snprintf(buf, sizeof buf, "%.*e", d - 1, a);  // "m.mmmme+xx"
        std::string t = buf;
        std::size_t epos = t.find('e');
        for (std::size_t i = 0; i < epos; ++i)
            if (t[i] != '.') digits += t[i];
        exponent = std::atoi(t.c_str() + epos + 1) + 1;
    } else {
        digits = std::string(static_cast<std::size_t>(d), '0');
    }
    std::string exp_text;
    int ae = std::abs(exponent);
    char eb[16];
    if (ae <= 99) {
        std::snprintf(eb, sizeof eb, "%c%c%02d", letter, exponent < 0 ? '-' : '+', ae);
    } else if (ae <= 999) {
        std::snprintf(eb, sizeof eb, "%c%03d", exponent < 0 ? '-' : '+', ae);
    } else {
        return stars(w);
    }
    exp_text = eb;
    std::string s = sign + "0." + digits + exp_text;
    if (static_cast<int>(s.size()) > w) s = sign + "." + digits + exp_text;
    return right(s, w);
}

std::string A(std::string_view s, int w) {
    if (w <= 0) return {};
    if (static_cast<int>(s.size()) >= w) return std::string(s.substr(0, static_cast<std::size_t>(w)));
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + std::string(s);
}

std::string pad(std::string_view s, std::size_t n) {
    std::string r(s);
    if (r.size() < n) r.append(n - r.size(), ' ');
    return r;
}

}  // namespace tarnik::fmt
