#include "clouds/random_partition.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "console/errors.h"
#include "clouds/menu_lines.h"
#include "console/format.h"

namespace tarnik::clouds {
namespace {

using fmt::I;

constexpr std::int32_t IA = 16807;
constexpr std::int32_t IM = 2147483647;
constexpr std::int32_t IQ = 127773;
constexpr std::int32_t IR = 2836;
constexpr std::int32_t NTAB = 32;
constexpr std::int32_t NDIV = 1 + (IM - 1) / NTAB;
constexpr float AM = 1.0f / static_cast<float>(IM);
constexpr float RNMX = 1.0f - 1.2e-7f;

// One step of the congruence w = IA * w mod IM (Schrage's method, no overflow).
void step(std::int32_t& w) {
    const std::int32_t k = w / IQ;
    w = IA * (w - k * IQ) - IR * k;
    if (w < 0) w += IM;
}

// Reads a free-form integer after the prompt; an unreadable answer keeps v.
void ask_keep(Console& con, std::string_view prompt, std::int32_t& v) {
    con.text(prompt);
    if (auto a = con.read_free_int()) v = *a;
}

}  // namespace

float ran1(Ran1State& st, std::int32_t& seed) {
    if (seed <= 0 || st.iy == 0) {
        seed = seed == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                                 : std::max(-seed, 1);
        for (std::int32_t j = NTAB + 8; j >= 1; --j) {
            step(seed);
            if (j <= NTAB) st.iv[static_cast<std::size_t>(j - 1)] = seed;
        }
        st.iy = st.iv[0];
    }
    step(seed);
    const std::int32_t j = 1 + st.iy / NDIV;
    st.iy = st.iv[static_cast<std::size_t>(j - 1)];
    st.iv[static_cast<std::size_t>(j - 1)] = seed;
    return std::min(AM * static_cast<float>(st.iy), RNMX);
}

void sort_small_integers(std::int32_t capacity, std::int32_t m, std::span<std::int32_t> a) {
    if (m > capacity || m < 1) {
        InternalError err;
        err.lines.push_back("");
        if (m > capacity) err.lines.push_back(" In Ranki n > mxcl.: " + I(m, 5) + I(capacity, 5));
        else err.lines.push_back(" In Ranki n < 1.: " + I(m, 5));
        err.lines.push_back("");
        err.pause = menu_indent("Hit RETURN to Terminate Program ");
        err.pause_field = true;
        throw err;
    }
    for (std::int32_t i = 0; i + 1 < m; ++i) {
        std::int32_t best = i;
        for (std::int32_t j = i + 1; j < m; ++j)
            if (a[static_cast<std::size_t>(j)] < a[static_cast<std::size_t>(best)]) best = j;
        std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(best)]);
    }
}

std::vector<std::int32_t> draw_class_boundaries(Console& con, Ran1State& st, std::int32_t n, std::int32_t s, std::int32_t e,
                                std::int32_t seed) {
    if (n > mxcl) {
        con.blank();
        con.line(menu_indent("In Partita n > mxcl. See? " + I(n, 5) + I(mxcl, 5)));
        con.line(menu_indent("n = mxcl will be used."));
        con.blank();
        con.pause_field(menu_indent("Hit RETURN to continue "));
        n = mxcl;
    }
    std::vector<std::int32_t> part(static_cast<std::size_t>(n) + 1, 0);
    std::int32_t word = seed == std::numeric_limits<std::int32_t>::min() ? seed : -std::abs(seed);
    const float r = static_cast<float>(e - s);
    std::int32_t passes = 0;
    // part[i] is boundary i + 1; the interior boundaries are part[1..n-1].
    std::span<std::int32_t> interior(part.data() + 1, static_cast<std::size_t>(n - 1));
    for (;;) {
        if (passes == kMaxPasses) return {};
        ++passes;
        for (auto& b : interior) b = s + static_cast<std::int32_t>(std::lroundf(ran1(st, word) * r));
        sort_small_integers(mxcl, n - 1, interior);
        bool rejected = interior.back() == e;
        for (std::size_t i = 1; !rejected && i < interior.size(); ++i) rejected = interior[i] == interior[i - 1];
        if (!rejected) break;
    }
    part.front() = s;
    part.back() = e;
    con.blank();
    con.line(menu_indent("This partition required " + I(passes, 5) + " passes."));
    return part;
}

namespace {

// Number of classes: at least 2 (one interior boundary), at most the class limit.
void ask_random_count(Console& con, RandomDialogAnswers& ans, std::int32_t class_limit) {
    for (;;) {
        con.blank(2);
        con.line(menu_indent("Enter number of random age classes to create."));
        ask_keep(con, menu_indent("Value cannot exceed [" + I(class_limit, 2) + "]   : "), ans.n);
        if (ans.n > class_limit) {
            con.blank();
            con.line(menu_indent("WARNING. Number of age classes requested exceeds"));
            con.line(menu_indent("maximum allowed [" + I(class_limit, 2) + "]"));
        } else if (ans.n < 2) {
            con.blank();
            con.line(menu_indent("WARNING. At least 2 random age classes are needed."));
        } else {
            return;
        }
    }
}

// Start age; it must leave room for a stop age above it.
void ask_random_start(Console& con, RandomDialogAnswers& ans, std::int32_t min_age, std::int32_t max_age) {
    for (;;) {
        con.blank();
        con.line(menu_indent("Enter minimum start age. Must be in the range of"));
        ask_keep(con, menu_indent("[" + I(min_age, 4) + "," + I(max_age, 4) + "] : "), ans.start);
        if (ans.start >= min_age && ans.start < max_age) return;
        con.blank();
        con.line(menu_indent("WARNING. Minimum start age must be greater than [" + I(min_age, 2) + "]"));
        con.line(menu_indent("and less than [" + I(max_age, 2) + "]"));
    }
}

// Stop age, above the start age and within the data's ages.
void ask_random_stop(Console& con, RandomDialogAnswers& ans, std::int32_t max_age) {
    for (;;) {
        con.blank();
        con.line(menu_indent("Enter maximum stop age.  Must be in the range of"));
        ask_keep(con, menu_indent("[" + I(ans.start + 1, 4) + "," + I(max_age, 4) + "] : "), ans.stop);
        if (ans.stop >= ans.start + 1 && ans.stop <= max_age) return;
        con.blank();
        con.line(menu_indent("WARNING. Maximum age must be less than [" + I(max_age, 2) + "]"));
        con.line(menu_indent("and greater than [" + I(ans.start + 1, 2) + "]"));
    }
}

// One round of questions and the drawing of its partition; empty when the
// answers leave no room for the classes or no partition was found.
std::vector<std::int32_t> ask_and_draw(Console& con, Ran1State& st, RandomDialogAnswers& ans,
                                       std::int32_t class_limit, std::int32_t min_age, std::int32_t max_age) {
    ask_random_count(con, ans, class_limit);
    ask_random_start(con, ans, min_age, max_age);
    ask_random_stop(con, ans, max_age);
    // n classes need n - 1 distinct interior boundaries in start..stop-1;
    // without room for them the drawing of passes would never end.
    if (ans.n - 1 > ans.stop - ans.start) {
        con.blank();
        con.line(menu_indent("WARNING. The ages " + I(ans.start, 4) + " to " + I(ans.stop, 4) + " cannot hold"));
        con.line(menu_indent(I(ans.n, 2) + " random age classes with distinct boundaries."));
        con.line(menu_indent("Choose fewer classes or a wider age range."));
        return {};
    }
    con.blank();
    ask_keep(con, menu_indent("Enter seed for random number generator [any integer] : "), ans.seed);
    std::vector<std::int32_t> part = draw_class_boundaries(con, st, ans.n, ans.start, ans.stop, ans.seed);
    if (part.empty()) {
        // So many classes in so few ages that random boundaries almost never
        // come out distinct.
        con.blank();
        con.line(menu_indent("WARNING. No partition with distinct boundaries was found"));
        con.line(menu_indent("in " + I(kMaxPasses, 5) + " passes. Choose fewer classes or a wider age range."));
    }
    return part;
}

}  // namespace

bool random_class_dialog(Console& con, Ran1State& st, RandomDialogAnswers& ans, std::int32_t class_limit,
                 std::int32_t min_age, std::int32_t max_age, CloudStore& cs) {
    if (max_age - min_age < 1) {
        // A single age leaves no room for two classes: no answer could be accepted.
        con.blank(2);
        con.line(menu_indent("WARNING. The data hold the single age " + I(min_age, 4) + ";"));
        con.line(menu_indent("random age classes need at least two ages."));
        hit_return(con, "Hit RETURN to continue : ");
        return false;
    }
    std::vector<std::int32_t> part;
    while (part.empty()) part = ask_and_draw(con, st, ans, class_limit, min_age, max_age);
    const std::int32_t n = static_cast<std::int32_t>(part.size()) - 1;
    for (std::int32_t i = 0; i < n; ++i) {
        cs.start_age[static_cast<std::size_t>(i)] = part[static_cast<std::size_t>(i)];
        cs.stop_age[static_cast<std::size_t>(i)] = part[static_cast<std::size_t>(i) + 1];
    }
    cs.classnum = n;
    return true;
}

}  // namespace tarnik::clouds
