#pragma once

#include <memory>
#include <string>

#include "dialoglogic/BBSList.h"
#include "settings/CommonIniFile.h"
#include "settings/NetVornIniFile.h"
#include "settings/NiftyIniFile.h"
#include "support/TestSupport.h"

namespace vorn::test {

// The two host families on settings files in a temporary folder, as the main window has them.
struct Families {
  TempDir dir;
  std::unique_ptr<TNetVornIniFile> netVorn;
  std::unique_ptr<TNiftyIniFile> nifty;
  TBBSList list;

  Families() { Reload(); }

  // Makes the settings objects afresh from the files, as a new start of the program would.
  void Reload() {
    netVorn = std::make_unique<TNetVornIniFile>(dir.File("netvorn.ini"), dir.File("vorndef.ini"));
    nifty = std::make_unique<TNiftyIniFile>(dir.File("nifty.ini"), dir.File("nifdef.ini"));
    list = {{J("NetVorn及び互換"), netVorn.get()}, {"Nifty-Serve", nifty.get()}};
  }

  std::string Folder() const { return dir.Path() + "/"; }
};

// Stores a set directly through the settings object.
inline bool AddSet(TBBSIniFile& ini, const std::string& prefix, const std::string& name,
                   const std::string& logPath = "/logs/") {
  ini.NetNo = -1;
  ini.Prefix = prefix;
  ini.Name = name;
  ini.LogPath = logPath;
  ini.LogMask = prefix + "*.log";
  ini.FotterFile = "/sig/" + prefix + ".txt";
  ini.UpFileCommandExtract = false;
  return ini.SaveNet();
}

}  // namespace vorn::test
