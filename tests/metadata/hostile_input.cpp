#include "hostile_input.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/temp_folder.h"

namespace {

constexpr DWORD kReadTimeoutMs = 1000;
constexpr SIZE_T kMemoryGrowthLimit = 64u << 20;
// The sample outside a full sweep: every cut within the first bytes (the headers, where most decisions are made),
// a drawn set of the later cuts, and a bounded number of mutations.
constexpr size_t kEveryCutBelow = 64;
constexpr size_t kDrawnCuts = 96;
constexpr int kSampledMutations = 150;

bool FullSweep() { return GetEnvironmentVariableW(L"QVRX_FULL_SWEEP", nullptr, 0) > 0; }

// The lengths the sample is cut at: all of them in a full sweep.
std::vector<size_t> Truncations(size_t size, bool full, std::mt19937& random) {
  std::vector<size_t> lengths;
  for (size_t length = 0; length < size && (full || length < kEveryCutBelow); ++length) lengths.push_back(length);
  if (full || size <= kEveryCutBelow) return lengths;
  for (size_t i = 0; i < kDrawnCuts; ++i) lengths.push_back(kEveryCutBelow + random() % (size - kEveryCutBelow));
  return lengths;
}

struct PendingRead {
  const HostileRead* read;
  std::wstring path;
  bool passed = false;
};

SIZE_T PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PeakWorkingSetSize;
}

// A reader that hangs is left running (a thread cannot be stopped safely); the test fails and ends its loop.
bool ReadWithinTimeout(const HostileRead& read, const std::wstring& path, bool* passed) {
  PendingRead* pending = new PendingRead{&read, path};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* argument) -> DWORD {
        PendingRead* job = static_cast<PendingRead*>(argument);
        job->passed = (*job->read)(job->path);
        return 0;
      },
      pending, 0, nullptr);
  if (thread == nullptr) {
    delete pending;
    return false;
  }
  const bool finished = WaitForSingleObject(thread, kReadTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  if (!finished) return false;
  *passed = pending->passed;
  delete pending;
  return true;
}

std::string Mutate(const std::string& sample, std::mt19937& random, int maxChangedBytes) {
  std::string variant = sample;
  if (variant.empty()) return variant;
  const int changes = 1 + static_cast<int>(random() % static_cast<uint32_t>(maxChangedBytes));
  for (int i = 0; i < changes; ++i) {
    const size_t at = random() % variant.size();
    // Extreme values find size and offset faults faster than uniform bytes.
    static const uint8_t kSpecial[] = {0x00, 0xFF, 0x7F, 0x80, 0xFE, 0x01};
    variant[at] = static_cast<char>(random() % 3 == 0 ? kSpecial[random() % sizeof(kSpecial)] : random());
  }
  return variant;
}

// False when the loop must end: the variant failed its check or hung.
bool TryVariant(const TempFolder& folder, const std::wstring& extension, const std::string& bytes,
                const HostileRead& read, const std::string& description) {
  const std::wstring path = folder.WriteFile(L"variant" + extension, bytes);
  bool passed = false;
  if (!ReadWithinTimeout(read, path, &passed)) {
    ADD_FAILURE() << "the read did not return within a second: " << description;
    return false;
  }
  if (!passed) ADD_FAILURE() << "the read broke a rule: " << description;
  return passed;
}

}  // namespace

void RunHostileInputLoop(const std::string& sample, const std::wstring& extension, const HostileRead& read,
                         const HostileInputOptions& options) {
  TempFolder folder;
  const SIZE_T peakBefore = PeakWorkingSet();
  std::mt19937 random(options.seed);
  const bool full = FullSweep();
  for (size_t length : Truncations(sample.size(), full, random)) {
    if (!TryVariant(folder, extension, sample.substr(0, length), read, "cut at " + std::to_string(length)))
      return;
  }
  const int mutations = full ? options.mutations : std::min(options.mutations, kSampledMutations);
  for (int i = 0; i < mutations; ++i) {
    const std::string variant = Mutate(sample, random, options.maxChangedBytes);
    if (!TryVariant(folder, extension, variant, read, "mutation " + std::to_string(i))) return;
  }
  EXPECT_LE(PeakWorkingSet() - peakBefore, kMemoryGrowthLimit) << "peak working set grew over the loop";
}
