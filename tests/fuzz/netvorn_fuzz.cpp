// The NetVorn analyser on a log: a fresh load with the built-in default patterns, then the same
// bytes added as a second file of the set, each followed by everything the window shows.
#include "fuzz/FuzzSupport.h"
#include "fuzz/LogSessionHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vorn::fuzz::LogSessionHarness harness;
  const std::string_view log = vorn::fuzz::AsText(data, size);
  if (!harness.LoadLog("NET", log).Loaded()) return 0;
  vorn::fuzz::WalkLoadedData(*harness.session, 2000);
  if (harness.AddLog(log).Loaded()) vorn::fuzz::WalkLoadedData(*harness.session, 2000);
  return 0;
}
