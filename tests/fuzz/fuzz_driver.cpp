// A plain driver for the fuzz targets where libFuzzer is not available (a
// GCC build): replays every file of the corpus directories given, then, for
// -max_total_time=N seconds, feeds mutations of them (bytes flipped,
// inserted, erased, duplicated; inputs spliced) from a fixed seed.  Any
// crash, sanitizer report or failed check fails the run like libFuzzer's.
//
//   target_fuzz [-max_total_time=N] [-seed=S] DIR|FILE...

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The input being run, written out by the crash handler.
const std::string* current = nullptr;

void onCrash(int sig) {
  if (current) {
    FILE* f = std::fopen("fuzz-crash.bin", "wb");
    if (f) {
      std::fwrite(current->data(), 1, current->size(), f);
      std::fclose(f);
    }
    std::fprintf(stderr, "fuzz driver: signal %d; input written to fuzz-crash.bin (%zu bytes)\n", sig,
                 current->size());
  }
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void run(const std::string& input) {
  current = &input;
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  current = nullptr;
}

std::string mutate(std::string s, const std::vector<std::string>& corpus, std::mt19937_64& rng) {
  const char kTokens[] = "()[]{}<>=~^*@|_,.;:'\"\\\r\n 0123456789-+#!$%nNsSpPdDkKtTbB";
  int steps = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < steps; ++i) {
    size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 6) {
      case 0:
        if (!s.empty()) s[at % s.size()] = static_cast<char>(rng());
        break;
      case 1: s.insert(at, 1, kTokens[rng() % (sizeof kTokens - 1)]); break;
      case 2:
        if (!s.empty()) s.erase(at % s.size(), 1 + rng() % 4);
        break;
      case 3:
        if (!s.empty()) {
          size_t from = rng() % s.size(), len = 1 + rng() % 16;
          s.insert(at, s.substr(from, len));
        }
        break;
      case 4: {
        const std::string& other = corpus[rng() % corpus.size()];
        if (!other.empty()) s.insert(at, other.substr(rng() % other.size(), 1 + rng() % 32));
        break;
      }
      default: s.insert(at, std::string(1 + rng() % 64, kTokens[rng() % (sizeof kTokens - 1)])); break;
    }
    if (s.size() > 4096) s.resize(4096);
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0;
  uint64_t seed = 1;
  std::vector<std::string> corpus;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "-max_total_time=", 16) == 0) {
      seconds = std::atof(argv[i] + 16);
    } else if (std::strncmp(argv[i], "-seed=", 6) == 0) {
      seed = std::strtoull(argv[i] + 6, nullptr, 10);
    } else if (argv[i][0] == '-') {
      continue;  // other libFuzzer options mean nothing here
    } else if (std::filesystem::is_directory(argv[i])) {
      for (const auto& e : std::filesystem::directory_iterator(argv[i]))
        if (e.is_regular_file()) corpus.push_back(slurp(e.path()));
    } else {
      corpus.push_back(slurp(argv[i]));
    }
  }
  if (corpus.empty()) corpus.push_back("");
  for (int sig : {SIGABRT, SIGSEGV, SIGFPE, SIGILL, SIGBUS}) std::signal(sig, onCrash);
  for (const std::string& c : corpus) run(c);
  std::mt19937_64 rng(seed);
  long runs = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    for (int i = 0; i < 64; ++i, ++runs) run(mutate(corpus[rng() % corpus.size()], corpus, rng));
  }
  std::printf("%zu corpus inputs replayed, %ld mutations run\n", corpus.size(), runs);
  return 0;
}
