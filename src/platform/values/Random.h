#pragma once
// Chance: the original's Rnd (uniform in [0, 1)) and Randomize (re-seed from
// the time of day). Re-seeding mixes the clock into the generator's running
// state instead of replacing it, so two re-seeds within one clock tick still
// give different draws: a loop that re-seeds until a draw differs never
// stalls on a coarse clock. A fixed seed (tests) with a fixed clock repeats
// exactly.
#include <cstdint>

namespace platform {

class RandomGenerator {
 public:
  RandomGenerator();  // seeded from the system's entropy source
  explicit RandomGenerator(std::uint64_t seed);

  double Rnd();
  void Randomize();  // from Clock::SecondsSinceMidnight()
  void Randomize(double secondsSinceMidnight);

 private:
  std::uint64_t Next();
  std::uint64_t state_;
};

// The generator the programs draw from.
RandomGenerator& ProgramRandom();

}  // namespace platform
