#pragma once

#include <QObject>
#include <QRect>
#include <Qt>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/ArticleSearch.h"
#include "reader/Navigation.h"
#include "regex/AWKStr.h"

namespace vorn {

class TBBSProcess;
class TSearchForm;
class TWindowAccess;

// The main window's search: the condition it keeps, the search dialog, and the walk from match
// to match across the boards. The condition lives until the next one and is not saved.
class TSearchCommands final : public QObject, public TSearchReading {
  Q_OBJECT
 public:
  explicit TSearchCommands(TWindowAccess& window, QObject* parent = nullptr);
  ~TSearchCommands() override;

  // MenuSearchClick, BTNSearchClick: the dialog, modal. Cancelling it switches the search
  // reading mode off.
  void OpenSearchDialog();
  // Keeps the condition and switches the search reading mode on.
  void SetSearchCondition(bool wordCheckType, bool awkFuzzy, const std::string& searchWord,
                          const std::string& searchID);
  // The next (forward) or previous match from the article shown; with newOnly only new
  // articles. Nothing without a condition. Returns whether one was found.
  bool FindNext(bool forward, bool newOnly);

  // TSearchReading: the grid's search keys and the search reading mode come here.
  bool SearchConditionExists() const override { return HasCondition(); }
  void SearchNext(bool forward, bool newOnly) override { FindNext(forward, newOnly); }

  const SearchCondition& Condition() const { return condition_; }
  bool HasCondition() const { return condition_.Exists(); }
  // The last search texts, oldest first.
  std::vector<std::string> SearchWordList;
  TSearchForm& Form();

  // The grid's key handler, which the dialog's search buttons call with Shift+Up and
  // Shift+Down; without one the buttons step through the matches directly.
  std::function<void(int key, Qt::KeyboardModifiers modifiers)> GridKeyDown;
  // The ID picker of the dialog.
  std::function<std::optional<std::string>(TBBSProcess*, const QRect&)> ChooseId;

 private:
  TWindowAccess& w_;
  SearchCondition condition_;
  TAWKStr awk_;
  TSearchForm* form_ = nullptr;
};

}  // namespace vorn
