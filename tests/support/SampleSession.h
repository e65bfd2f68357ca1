#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "support/TestSupport.h"
#include "text/ShiftJisText.h"

namespace vorn::test {

// Both host families on a copy of the sample settings folder, and a session that loads the
// sample captures as the window does.
class SampleSession {
 public:
  SampleSession() {
    namespace fs = std::filesystem;
    settings = dir.Path() + "/settings/";
    fs::copy(fs::path(SourceDir()) / "samples" / "settings", settings, fs::copy_options::recursive);
    netVorn = std::make_unique<TNetVorn>(settings + "netvorn.ini", settings + "vorndef.ini");
    nifty = std::make_unique<TNifty>(settings + "nifty.ini", settings + "nifdef.ini");
    session = std::make_unique<TLogSession>(std::vector<TBBSProcess*>{netVorn.get(), nifty.get()});
    session->SettingsFolder = settings;
  }

  // Loads a sample capture (copied next to the settings) into the set of its prefix.
  bool Load(const char* name) {
    const std::string file = dir.File(name);
    std::filesystem::copy_file(std::filesystem::path(SourceDir()) / "samples" / name, file,
                               std::filesystem::copy_options::overwrite_existing);
    return session->LoadLogFiles({file}, LogNamePrefix(name), false).Loaded();
  }

  TBBSProcess& Process() const { return *session->CurrentProcess; }
  const TLogList& Log() const { return session->LogList; }

  TempDir dir;
  std::string settings;
  std::unique_ptr<TNetVorn> netVorn;
  std::unique_ptr<TNifty> nifty;
  std::unique_ptr<TLogSession> session;
};

}  // namespace vorn::test
