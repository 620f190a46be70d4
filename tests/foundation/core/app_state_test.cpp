// The option word's one writer: each change is one step, and two threads that change bits at once lose none.
#include "foundation/core/app_state.h"

#include <gtest/gtest.h>

#include "main_window_stand_in.h"
#include "program_state_scope.h"

TEST(OptionWord, ChangesAreOneStepAndNoneIsLostBetweenThreads) {
  ProgramStateScope state;
  const struct {
    uint32_t before;
    void (*change)();
    uint32_t after;
  } cases[] = {
      {0x21, [] { SetOptionBits(kOptionSelectedOnly, true); }, 0x2021},
      {0x2021, [] { SetOptionBits(kOptionSelectedOnly, false); }, 0x21},
      {0x21, [] { ToggleOptionBits(kOptionFileIconsOff | kOptionToolbarHidden); }, 0x28},
      {0x21, [] { ReplaceOptionWord(kOptionCompareModeOne); }, kOptionCompareModeOne},
  };
  for (const auto& c : cases) {
    ReplaceOptionWord(c.before);
    c.change();
    EXPECT_EQ(state->options, c.after);
  }

  // As a listing ends the "only the selected files" view while the GUI thread toggles the toolbar; both threads
  // begin together, so that their changes overlap.
  constexpr int kChanges = 10000001;
  ReplaceOptionWord(0);
  static volatile LONG ready;
  ready = 0;
  WorkerThread listing([] {
    InterlockedIncrement(&ready);
    while (ready != 2) YieldProcessor();
    for (int i = 0; i < kChanges; ++i) SetOptionBits(kOptionSelectedOnly, i % 2 == 0);
  });
  while (ready != 1) YieldProcessor();
  InterlockedIncrement(&ready);
  for (int i = 0; i < kChanges; ++i) ToggleOptionBits(kOptionToolbarHidden);
  listing.Join();
  EXPECT_EQ(state->options, kOptionSelectedOnly | kOptionToolbarHidden) << "every change of either thread kept";
}
