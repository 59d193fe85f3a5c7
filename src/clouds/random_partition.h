#pragma once
// Random partition of an age range into age classes: the uniform generator
// (ran1), the small integer sort (sort_small_integers), the drawing of the class boundaries
// (draw_class_boundaries) and the random-mode dialog (random_class_dialog). The same seed always gives
// the same classes, because every partition restarts the generator from it.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "console/console.h"
#include "data/cloud_store.h"

namespace tarnik::clouds {

// Capacity of one random partition: at most mxcl classes, mxcl + 1 boundaries.
inline constexpr std::int32_t mxcl = 51;

// State of the generator, kept for the whole run (all zero at program start).
struct Ran1State {
    std::array<std::int32_t, 32> iv{};
    std::int32_t iy = 0;
};

// Minimal-standard multiplicative congruential generator with a Bays-Durham
// shuffle. Returns a single real in (0, 1) and advances the seed word; a seed
// word <= 0 restarts the generator from |seed word| (at least 1).
float ran1(Ran1State& st, std::int32_t& seed);

// Sorts a[0..m-1] ascending in place (selection sort; the first of equal minima
// is taken). m above `capacity` or below 1 is an internal error.
void sort_small_integers(std::int32_t capacity, std::int32_t m, std::span<std::int32_t> a);

// Most drawings tried for one partition (the largest count the passes line shows).
inline constexpr std::int32_t kMaxPasses = 99999;

// Draws n random classes between start age s and stop age e: returns the n + 1
// boundaries part[0] = s <= part[1] < ... < part[n-1] < part[n] = e and prints the
// number of passes needed. n above mxcl is reduced to mxcl after a notice. The
// caller guarantees 2 <= n and n - 1 <= e - s, without which no partition exists.
// Returns nothing (and prints nothing) when kMaxPasses drawings all failed, as
// they almost surely do when the classes nearly fill the range.
std::vector<std::int32_t> draw_class_boundaries(Console& con, Ran1State& st, std::int32_t n, std::int32_t s, std::int32_t e,
                                std::int32_t seed);

// The answers of the random-mode dialog, kept between definitions: an answer that
// cannot be read leaves the previous value.
struct RandomDialogAnswers {
    std::int32_t n = 0, start = 0, stop = 0, seed = 0;
};

// The random-mode dialog: number of classes (2..class_limit), start and stop age
// within [min_age, max_age] and a seed; fills start_age, stop_age and classnum of
// the store. inc_length is left as it was. False (nothing changed) when the data's
// age range is a single age, which cannot be divided.
bool random_class_dialog(Console& con, Ran1State& st, RandomDialogAnswers& ans, std::int32_t class_limit,
                 std::int32_t min_age, std::int32_t max_age, CloudStore& cs);

}  // namespace tarnik::clouds
