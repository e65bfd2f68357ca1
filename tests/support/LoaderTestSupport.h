#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "analysis/LogLoader.h"
#include "analysis/NetVorn.h"
#include "settings/BBSIniFile.h"
#include "support/TestSupport.h"

namespace vorn::test {

// A settings family without analysis items, whose SelectNet can be made to fail.
class FakeIni final : public TBBSIniFile {
 public:
  using TBBSIniFile::TBBSIniFile;
  bool SelectNet(int32_t netNo) override {
    if (refuseSelect || !TBBSIniFile::SelectNet(netNo)) return false;
    LogEndLine = "<end>";
    return true;
  }
  int ItemCount() const override { return 0; }
  std::string ItemName(int) const override { return {}; }
  std::string ItemDefault(int) const override { return {}; }
  std::string ItemValue(int) const override { return {}; }
  std::string ItemPattern(int) const override { return {}; }
  bool SetItemValue(int, const std::string&) override { return false; }

  bool refuseSelect = false;
};

// An analyser that records the operations the loader calls, with their file arguments, and
// can fail its analysis, leave no board, or run out of memory.
class FakeProcess final : public TBBSProcess {
 public:
  explicit FakeProcess(const std::string& iniPath)
      : TBBSProcess(std::make_unique<FakeIni>(iniPath), false),
        Ini(static_cast<FakeIni*>(IniFile)) {}

  std::string GetSystemName() const override { return "Fake"; }
  void ClearData() override {
    calls.push_back("ClearData");
    TBBSProcess::ClearData();
  }
  bool LoadLists(const std::string& b, const std::string& m) override {
    calls.push_back("LoadLists " + b + " " + m);
    return TBBSProcess::LoadLists(b, m);
  }
  bool SaveLists(const std::string&, const std::string&) override {
    calls.push_back("SaveLists");
    return false;
  }
  bool LoadReadPointers(const std::string& file) override {
    calls.push_back("LoadReadPointers " + file);
    return TBBSProcess::LoadReadPointers(file);
  }
  bool SaveReadPointers(const std::string&) override {
    calls.push_back("SaveReadPointers");
    return false;
  }
  bool AnalyzeLog(int32_t netNo, TLogList& log, TLogList&, int32_t start) override {
    calls.push_back("AnalyzeLog " + std::to_string(netNo) + " from " + std::to_string(start) +
                    " of " + std::to_string(log.Count()));
    if (throwInAnalysis) throw std::bad_alloc();
    if (addBoard) Boards.AddBoard(1, "one", "One");
    return analyseResult;
  }
  void SortData() override { calls.push_back("SortData"); }
  bool ReadUpFile(const std::string& file) override {
    calls.push_back("ReadUpFile " + file);
    return true;
  }
  bool WriteUpFile(const std::string&) override {
    calls.push_back("WriteUpFile");
    return false;
  }
  bool ReadPadFile(const std::string& file) override {
    calls.push_back("ReadPadFile " + file);
    return true;
  }
  bool WritePadFile(const std::string&) override {
    calls.push_back("WritePadFile");
    return false;
  }
  std::string CheckIdNumber(int32_t) const override { return {}; }
  std::string CheckIdText(std::string&) const override { return {}; }
  std::string GetBoardLabel(int32_t index, bool) const override { return Boards.GetBoardId(index); }

  FakeIni* Ini;
  std::vector<std::string> calls;
  bool analyseResult = true;
  bool addBoard = true;
  bool throwInAnalysis = false;
};

// A copy of the sample settings folder and the sample capture in a temporary folder, and the
// NetVorn analyser on that settings folder.
class SampleWorkspace {
 public:
  SampleWorkspace() {
    settingsDir = CopySamples(dir, {"NET19990730.LOG"});
    sampleLog = dir.File("NET19990730.LOG");
  }
  std::unique_ptr<TNetVorn> MakeNetVorn() const {
    return std::make_unique<TNetVorn>(settingsDir + "netvorn.ini", settingsDir + "vorndef.ini");
  }
  // The files of the settings folder, sorted.
  std::vector<std::string> SettingsFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(settingsDir))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  std::string settingsDir;
  std::string sampleLog;
};

// Expected output kept with the command-line tests, UTF-8, one entry per line.
inline std::vector<std::string> ExpectedLines(const std::string& name) {
  const std::string text = ReadBytes(SourceDir() + "/tests/cli/expected/" + name);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace vorn::test
