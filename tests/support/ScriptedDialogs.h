#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "reader/MainDialogs.h"

namespace vorn::test {

// The main window's dialogs for tests: each answers from a script (an empty answer when the
// script is used up) and records what it was asked.
class ScriptedDialogs final : public TMainDialogHost {
 public:
  std::vector<std::string> OpenLogFiles(const LogFileRequest& request) override {
    fileRequests.push_back(request);
    return Next(fileAnswers);
  }
  NetSelection SelectNet(const TBBSList&, const std::vector<std::string>& prefixList) override {
    netSelectPrefixLists.push_back(prefixList);
    return Next(netAnswers);
  }
  void ShowText(const QString& caption, const SystemMsgLook&,
                const std::vector<std::string>& lines) override {
    texts.emplace_back(caption, lines);
  }
  void ShowAbout() override { ++aboutShown; }
  std::string ChooseId(TBBSProcess&, const QString& caption) override {
    idCaptions.push_back(caption);
    return Next(idAnswers);
  }
  void EditIds(TBBSProcess&, const IDEditPreset& preset) override { idEdits.push_back(preset); }
  int32_t EditBoards(TBBSProcess&, bool choose, int32_t startBoard,
                     const QString& caption) override {
    boardRequests.push_back({choose, startBoard, caption});
    if (!choose) return -1;
    return boardAnswers.empty() ? -1 : Next(boardAnswers);
  }
  std::string ChooseBinaryFile() override {
    ++binaryFileAsked;
    return Next(binaryFiles);
  }
  SetChoice ChooseSet(const TBBSList&) override { return Next(setChoices); }
  PrefixChoice AskPrefix(const TBBSList&, int) override { return Next(prefixAnswers); }
  void EditSet(const TBBSList&, int family, TNetSelectSkbn skbn, const std::string& readPrefix,
               const std::string&) override {
    edits.push_back({family, skbn, readPrefix});
  }

  struct BoardRequest {
    bool choose;
    int32_t startBoard;
    QString caption;
  };

  struct Edit {
    int family;
    TNetSelectSkbn skbn;
    std::string readPrefix;
  };

  std::vector<LogFileRequest> fileRequests;
  std::deque<std::vector<std::string>> fileAnswers;
  std::vector<std::vector<std::string>> netSelectPrefixLists;
  std::deque<NetSelection> netAnswers;
  std::vector<std::pair<QString, std::vector<std::string>>> texts;
  int aboutShown = 0;
  std::deque<SetChoice> setChoices;
  std::deque<PrefixChoice> prefixAnswers;
  std::vector<Edit> edits;
  std::vector<QString> idCaptions;
  std::deque<std::string> idAnswers;
  std::vector<IDEditPreset> idEdits;
  std::vector<BoardRequest> boardRequests;
  std::deque<int32_t> boardAnswers;
  std::deque<std::string> binaryFiles;
  int binaryFileAsked = 0;

 private:
  template <class T>
  static T Next(std::deque<T>& script) {
    if (script.empty()) return T();
    T answer = std::move(script.front());
    script.pop_front();
    return answer;
  }
};

}  // namespace vorn::test
