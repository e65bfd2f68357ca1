#include "reader/SearchCommands.h"

#include <QApplication>
#include <QCursor>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/QtSupport.h"
#include "reader/Search.h"
#include "reader/SearchWindowAccess.h"
#include "regex/REScanner.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

// The wait cursor for as long as the walk runs, whichever way it ends.
class WaitCursor final {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

TSearchCommands::TSearchCommands(TWindowAccess& window, QObject* parent)
    : QObject(parent), w_(window) {}

TSearchCommands::~TSearchCommands() = default;

TSearchForm& TSearchCommands::Form() {
  if (!form_) form_ = new TSearchForm(w_.Window());
  return *form_;
}

void TSearchCommands::OpenSearchDialog() {
  TSearchForm& form = Form();
  const QRect r = w_.WindowRect();
  form.ParentTop = r.top();
  form.ParentLeft = r.left();
  form.ParentHeight = r.height();
  form.ParentWidth = r.width();
  form.WordList = &SearchWordList;
  form.WordCheckType = condition_.WordCheckType;
  form.AwkFuzzy = condition_.AwkFuzzy;
  form.BBS = w_.Analyser();
  form.SetSearchParam = [this](bool type, bool fuzzy, const std::string& word,
                               const std::string& id) {
    SetSearchCondition(type, fuzzy, word, id);
  };
  form.GridKeyDown = [this](int key, Qt::KeyboardModifiers modifiers) {
    if (GridKeyDown) {
      GridKeyDown(key, modifiers);
    } else if ((key == Qt::Key_Up || key == Qt::Key_Down) && HasCondition()) {
      FindNext(key == Qt::Key_Down, w_.NewReadMode());
    }
  };
  form.ChooseId = ChooseId;
  form.Execute();
  if (form.CancelFlag && w_.SearchReadMode()) w_.SetSearchReadMode(false);
}

void TSearchCommands::SetSearchCondition(bool wordCheckType, bool awkFuzzy,
                                         const std::string& searchWord,
                                         const std::string& searchID) {
  condition_.WordCheckType = wordCheckType;
  condition_.AwkFuzzy = awkFuzzy;
  condition_.SearchWord = searchWord;
  condition_.SearchID = searchID;
  w_.EnableSearchMode();
  w_.SetSearchReadMode(true);
}

bool TSearchCommands::FindNext(bool forward, bool newOnly) {
  if (!HasCondition()) return false;
  TBBSProcess* bbs = w_.Analyser();
  SearchHit hit;
  if (bbs) {
    WaitCursor wait;
    try {
      const TArticleMatcher matcher(condition_, bbs->Members, w_.Log(), awk_);
      hit = FindSearchMatch(bbs->Boards, w_.Order(), w_.CurrentBoard(), w_.CurrentPosition(),
                            forward, newOnly, matcher);
      // The search may have looked at every line of the archive: their pages are given back.
      w_.Log().ReleasePages();
    } catch (const ERegExpParser& error) {
      // The dialog refuses such patterns; this only guards against one set some other way.
      Ui().Warning(RegExpErrorReport(error, condition_.SearchWord, condition_.AwkFuzzy));
      return false;
    }
  }
  if (hit.Found()) {
    w_.SetStatusText(0, QString());
    w_.ShowArticleAt(hit.Board, hit.Position);
    return true;
  }
  static const std::string notFound = Cp932("検索：該当記事は見つかりませんでした");
  w_.SetStatusText(0, QtText(notFound));
  if (w_.Common().NoSearchDialog) Ui().Information(notFound);
  return false;
}

}  // namespace vorn
