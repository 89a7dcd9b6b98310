// The effect's noise floor: a process-wide linear congruential generator whose values, a few times
// 1e-20, are summed into a precomputed table that the render loop adds to the input. The tiny
// random walk keeps the filter chain away from denormal numbers even on digital silence.
#pragma once

#include <cstdint>

// Generator state shared by every instance in the process; unsynchronised on purpose (a race only
// changes noise values).
extern std::uint32_t rand_state;

constexpr int kBrindleNoiseTableSize = 44100;

// One generator step on the given state: state = state * 1234567 + 890123 (mod 2^32), then adds
// the single-precision value made of the state's sign bit and bits 22-16 under exponent 2^-67.
void BrindleNoiseStep(std::uint32_t& state, float& value);

// Fills table[0 .. kBrindleNoiseTableSize) with the running single-precision sum of the next
// generator values. Reads rand_state once, steps a private copy and writes the final state back.
void BrindleFillNoiseTable(double* table);
