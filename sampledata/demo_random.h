// The pseudo-random source of the sample-data generator.
//
// SplitMix64: a fixed, fully specified sequence for a given seed, the same on
// every platform and standard library (the standard distributions are not
// specified exactly, so they are not used).  Not thread-safe; each generator
// owns its own.
#pragma once

#include <cstdint>
#include <vector>

namespace vorlam::sampledata {

class DemoRandom {
 public:
  explicit DemoRandom(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [low, high] (low <= high), by rejection so that no value is
  // favoured.
  int64_t between(int64_t low, int64_t high) {
    uint64_t span = static_cast<uint64_t>(high - low) + 1;
    if (span == 0) return static_cast<int64_t>(next());  // the whole 64-bit range
    uint64_t limit = UINT64_MAX - UINT64_MAX % span;
    uint64_t v;
    do v = next(); while (v >= limit);
    return low + static_cast<int64_t>(v % span);
  }
  // True with probability percent / 100.
  bool chance(int percent) { return between(0, 99) < percent; }
  template <typename T>
  const T& pick(const std::vector<T>& v) {
    return v[static_cast<size_t>(between(0, static_cast<int64_t>(v.size()) - 1))];
  }
  // An independent generator for one part of the data, so that the records
  // of one part do not change when another part draws more or fewer numbers.
  DemoRandom fork(uint64_t salt) const { return DemoRandom(mix(state_ ^ mix(salt + 1))); }

 private:
  static uint64_t mix(uint64_t z) {
    z = (z ^ (z >> 33)) * 0xFF51AFD7ED558CCDull;
    z = (z ^ (z >> 33)) * 0xC4CEB9FE1A85EC53ull;
    return z ^ (z >> 33);
  }
  uint64_t state_;
};

}  // namespace vorlam::sampledata
