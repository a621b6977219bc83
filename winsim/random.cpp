// The runtime's secure random numbers: values a test chose, then a seeded
// generator, so that every run draws the same numbers.
#define _CRT_RAND_S
#include <errno.h>

#include "world.h"

using namespace winsim;

namespace {

// SplitMix64: small, and every seed gives a usable sequence.
unsigned NextGenerated(uint64_t &state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<unsigned>((z ^ (z >> 31)) >> 32);
}

}  // namespace

// ---- rand_s ----
// A failure leaves 0 in the value.
WINSIM_API errno_t rand_s(unsigned int *value) {
    if (sim::ShouldFail("rand_s")) {
        if (value) *value = 0;
        return EINVAL;
    }
    if (!value) return EINVAL;
    UiState &ui = W().ui;
    if (!ui.randomValues.empty()) {
        *value = ui.randomValues.front();
        ui.randomValues.pop_front();
    } else {
        *value = NextGenerated(ui.randomState);
    }
    return 0;
}

namespace sim {

void SetRandomValues(const std::vector<unsigned> &values) {
    W().ui.randomValues.assign(values.begin(), values.end());
}

void SetRandomSeed(uint64_t seed) { W().ui.randomState = seed; }

}  // namespace sim
