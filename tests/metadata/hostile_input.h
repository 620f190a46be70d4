// Hostile input for the metadata readers: a sample cut at every length and changed by seeded random bytes,
// each variant written to a file and handed to the reader on a worker that must come back within a second.
// The reader's own checks (terminated texts, values within range) are the caller's `check`.
//
// Such a full sweep takes minutes and runs where the environment variable QVRX_FULL_SWEEP is set (the tests of
// the ctest label "FullSweep"); every other run takes a fixed sample drawn with the seed: every cut within the
// first 64 bytes, 96 later cuts and at most 150 mutations.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

struct HostileInputOptions {
  // Random variants made from the sample besides its truncations.
  int mutations = 2000;
  uint32_t seed = 1;
  // Largest number of bytes changed in one variant.
  int maxChangedBytes = 8;
};

// Reads a variant's file; returns false when the result breaks a rule (the caller's expectations have
// already said which).
using HostileRead = std::function<bool(const std::wstring& path)>;

// Runs `read` over the truncations and the random variants of `sample`. Fails the current test (with the
// variant's description) on a read that does not return within one second, that returns false, or when the
// process's peak working set grew by more than 64 MB over the loop (Wine's page-file figure does not follow
// heap growth).
void RunHostileInputLoop(const std::string& sample, const std::wstring& extension, const HostileRead& read,
                         const HostileInputOptions& options = HostileInputOptions());
