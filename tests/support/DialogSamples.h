#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "analysis/Nifty.h"
#include "platform/UiServices.h"
#include "support/LoaderTestSupport.h"
#include "support/RecordingUiServices.h"

namespace vorn::test {

// Both sample logs loaded, each by its family's analyser, from a copy of the sample settings.
class DialogSamples {
 public:
  DialogSamples()
      : netVorn(ws.MakeNetVorn()),
        nifty(
            std::make_unique<TNifty>(ws.settingsDir + "nifty.ini", ws.settingsDir + "nifdef.ini")),
        netVornSession({netVorn.get()}),
        niftySession({nifty.get()}) {
    const std::string niftyLog = ws.dir.File("NIF19990730.LOG");
    std::filesystem::copy_file(SourceDir() + "/samples/NIF19990730.LOG", niftyLog);
    netVornSession.SettingsFolder = niftySession.SettingsFolder = ws.settingsDir;
    RecordingUiServices quiet;
    ScopedUiServices scoped(&quiet);
    netVornLoaded = netVornSession.LoadLogFiles({ws.sampleLog}, "NET", false).Loaded();
    niftyLoaded = niftySession.LoadLogFiles({niftyLog}, "NIF", false).Loaded();
  }

  SampleWorkspace ws;
  std::unique_ptr<TNetVorn> netVorn;
  std::unique_ptr<TNifty> nifty;
  TLogSession netVornSession;
  TLogSession niftySession;
  bool netVornLoaded = false;
  bool niftyLoaded = false;
};

}  // namespace vorn::test
