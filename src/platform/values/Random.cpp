#include "platform/values/Random.h"

#include <bit>
#include <chrono>
#include <random>

#include "platform/values/Clock.h"

namespace platform {
namespace {
// SplitMix64: a 64-bit state advanced by a constant and scrambled; every
// state gives a well-spread output and the period is 2^64.
std::uint64_t Scramble(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
constexpr std::uint64_t kStep = 0x9E3779B97F4A7C15ull;
}  // namespace

RandomGenerator::RandomGenerator() {
  std::random_device device;
  const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  state_ = Scramble((static_cast<std::uint64_t>(device()) << 32) ^ device() ^ ticks);
}

RandomGenerator::RandomGenerator(std::uint64_t seed) : state_(seed) {}

std::uint64_t RandomGenerator::Next() {
  state_ += kStep;
  return Scramble(state_);
}

double RandomGenerator::Rnd() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

void RandomGenerator::Randomize() { Randomize(Clock::SecondsSinceMidnight()); }

void RandomGenerator::Randomize(double secondsSinceMidnight) {
  state_ = Scramble(Next() ^ std::bit_cast<std::uint64_t>(secondsSinceMidnight));
}

RandomGenerator& ProgramRandom() {
  static RandomGenerator generator;
  return generator;
}

}  // namespace platform
