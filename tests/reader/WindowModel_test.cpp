// A model-based test of the main window. Each sequence, numbered by its seed, opens a sample
// (NetVorn for even seeds, Nifty-Serve for odd ones) in the real window and plays random user
// commands on it: reading moves, every write command by key, menu, tool button and pop-up
// item (with a real external editor that saves, appends, quits, saves nothing or cannot
// start), the save command, adding and dropping logs, opening logs, ending and starting again,
// the order and reading-mode switches and every dialog closed with OK or Cancel. Modal dialogs
// are answered by a timer that clicks their buttons; message boxes answer at random.
//
// What is checked, whenever the loaded data is left (ending, opening, a drop) and at the end:
// ending asks about the UP/PAD files exactly when the pending writes differ from what the
// files on disk hold (read back into a fresh analyser), and after Yes the files hold exactly
// the pending writes; every text an editor saved is pending until it is deleted or replaced;
// a file the user chose not to read back is kept, byte for byte, when it is replaced.
//
// VORN_MODEL_SEQUENCES sets how many sequences each sample plays (default 100),
// VORN_MODEL_FIRST_SEED the first seed (default 1); VORN_MODEL_SEED replays one sequence.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "reader/WindowModelSequence.h"

namespace vorn {
namespace {

using model::Sequence;

uint64_t EnvNumber(const char* name, uint64_t otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::strtoull(value, nullptr, 10) : otherwise;
}

// Plays the sequences of one sample (seeds of one parity) and reports each failing one with
// its steps and the command that replays it.
void PlaySequences(bool nifty) {
  test::GuiApp();
  const uint64_t replay = EnvNumber("VORN_MODEL_SEED", 0);
  const uint64_t count = EnvNumber("VORN_MODEL_SEQUENCES", 100);
  const uint64_t first = EnvNumber("VORN_MODEL_FIRST_SEED", 1);
  std::vector<uint64_t> seeds;
  if (replay) {
    if ((replay % 2 == 1) != nifty) GTEST_SKIP() << "seed " << replay << " is the other sample's";
    seeds.push_back(replay);
  } else {
    for (uint64_t s = first; seeds.size() < count; ++s) {
      if ((s % 2 == 1) == nifty) seeds.push_back(s);
    }
  }
  int failures = 0, leaves = 0, composed = 0;
  const auto started = std::chrono::steady_clock::now();
  for (const uint64_t seed : seeds) {
    Sequence sequence(seed);
    const bool passed = sequence.Play();
    leaves += sequence.Leaves();
    composed += sequence.Composed();
    if (passed && !replay) continue;
    if (!passed) {
      ++failures;
      ADD_FAILURE() << "sequence " << seed << ": " << sequence.Failure() << "\n"
                    << sequence.Log() << "replay: VORN_MODEL_SEED=" << seed
                    << " build/tests/reader/test_window_model";
    } else {
      std::cout << sequence.Log();
    }
    if (failures >= 3) break;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::cout << (nifty ? "Nifty-Serve" : "NetVorn") << ": " << seeds.size() << " sequences, "
            << leaves << " leaving checks, " << composed << " texts composed, " << failures
            << " failed, " << seconds << " s\n";
}

TEST(WindowModel, NetVornSequences) {
  PlaySequences(false);
}

TEST(WindowModel, NiftyServeSequences) {
  PlaySequences(true);
}

}  // namespace
}  // namespace vorn
