#include "fuzz/LogSessionHarness.h"

#include <algorithm>
#include <vector>

#include "analysis/DisplayTexts.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "text/ArticleText.h"

namespace vorn::fuzz {

namespace {

const char kNetVornIni[] =
    "[Common]\r\nNetCount=0\r\nNoDispHeaderLine=1\r\nNoDispFotterLine=1\r\n\r\n"
    "[Net0]\r\nPrefix=\"NET\"\r\nName=\"Fuzz\"\r\nLogMask=\"NET*.LOG\"\r\n"
    "BoardListFile=\"NET.BRD\"\r\nMemberListFile=\"NET.MEM\"\r\nUpFile=\"NET.UP\"\r\n"
    "PadFile=\"NET.PAD\"\r\nPadFileBatchCommand=1\r\nReadPtrFile=\"NET.PTR\"\r\n";
const char kNiftyIni[] =
    "[Common]\r\nNetCount=0\r\n\r\n"
    "[Net0]\r\nPrefix=\"NIF\"\r\nName=\"Fuzz\"\r\nLogMask=\"NIF*.LOG\"\r\n"
    "BoardListFile=\"NIF.BRD\"\r\nMemberListFile=\"NIF.MEM\"\r\nUpFile=\"NIF.UP\"\r\n"
    "PadFile=\"NIF.PAD\"\r\nReadPtrFile=\"NIF.PTR\"\r\nMemberAutoAdd=1\r\n";

}  // namespace

LogSessionHarness::LogSessionHarness() {
  UseReadingUi();
  WriteScratch(SetFile("netvorn.ini"), kNetVornIni);
  WriteScratch(SetFile("nifty.ini"), kNiftyIni);
  netVorn = std::make_unique<TNetVorn>(SetFile("netvorn.ini"), SetFile("vorndef.ini"));
  nifty = std::make_unique<TNifty>(SetFile("nifty.ini"), SetFile("nifdef.ini"));
  // The editor's headings of binary writes, as the window gives them.
  for (TBBSProcess* p : std::vector<TBBSProcess*>{netVorn.get(), nifty.get()}) {
    p->BinaryFileHeader = Cp932("[UP対象ファイル]");
    p->WriteFileHeader = Cp932("[書込ファイル名]");
  }
  session = std::make_unique<TLogSession>(std::vector<TBBSProcess*>{netVorn.get(), nifty.get()});
  session->SettingsFolder = ScratchFolder();
}

std::string LogSessionHarness::SetFile(std::string_view name) const {
  return ScratchFile(name);
}

LoadResult LogSessionHarness::LoadLog(std::string_view prefix, std::string_view bytes) {
  const std::string path = SetFile(std::string(prefix) + "00000000.LOG");
  WriteScratch(path, bytes);
  return session->LoadLogFiles({path}, std::string(prefix), false);
}

LoadResult LogSessionHarness::AddLog(std::string_view bytes) {
  const std::string path = SetFile(session->CurrentPrefix + "00000001.LOG");
  WriteScratch(path, bytes);
  return session->LoadLogFiles({path}, session->CurrentPrefix, true);
}

namespace {

void CheckPreparedText(const std::vector<std::string>& lines) {
  static const ArticleTextSettings settings = [] {
    ArticleTextSettings s;
    s.BigLinePrefixes = ParseMarkList("#,$");
    s.QuoteMarks = ParseMarkList(">,|");
    s.EofMarker = "[EOF]";
    s.FoldWidth = 40;
    return s;
  }();
  const PreparedArticleText prepared = PrepareArticleText(lines, settings);
  const int32_t length = static_cast<int32_t>(prepared.Text().size());
  for (const ArticleRun& run : prepared.Runs)
    FUZZ_CHECK(run.First >= 1 && run.First <= run.Last + 1 && run.Last <= length);
  for (const ArticleLink& link : prepared.Links)
    FUZZ_CHECK(link.First >= 1 && link.First <= link.Last && link.Last <= length);
}

}  // namespace

void WalkLoadedData(const TLogSession& session, int32_t maxRows) {
  const TBBSProcess& process = *session.CurrentProcess;
  const int32_t lineCount = session.LogList.Count();
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    BoardListLine(process, b);
    const TArticleList* board = process.Boards.GetArticles(b);
    if (!board) continue;

    const int32_t posting = board->OrderCount(ArticleSortNormal);
    std::vector<char> inTree(static_cast<size_t>(board->Count()), 0);
    const int32_t tree = board->OrderCount(ArticleSortTree);
    for (int32_t p = 0; p < tree; ++p) {
      const int32_t index = board->StorageIndex(ArticleSortTree, p);
      FUZZ_CHECK(index >= 0 && index < board->Count());
      inTree[static_cast<size_t>(index)] = 1;
      const int32_t level = board->GetLevel(ArticleSortTree, p);
      FUZZ_CHECK(level >= 0);
      FUZZ_CHECK(level <= (p == 0 ? 0 : board->GetLevel(ArticleSortTree, p - 1) + 1));
    }
    for (int32_t p = 0; p < posting; ++p) {
      const ArticleRecord& entry = *board->GetArticle(ArticleSortNormal, p);
      FUZZ_CHECK(entry.Used == 1 && entry.Kind != ArticleKindMissingRoot);
      FUZZ_CHECK(inTree[static_cast<size_t>(board->StorageIndex(ArticleSortNormal, p))]);
      if (entry.WriteFlag == 0) {
        FUZZ_CHECK(entry.FirstLine >= 0 && entry.FirstLine < lineCount);
        FUZZ_CHECK(entry.LastLine < lineCount);
      }
    }

    for (const int32_t order : {ArticleSortNormal, ArticleSortTree}) {
      TArticleRows rows(*board, order, process.Members, 2);
      ArticleCells cells;
      const int32_t shown = std::min(rows.Count(), maxRows);
      for (int32_t p = 0; p < shown; ++p) {
        rows.ArticleCellTexts(p, cells);
        const ArticleViewText view = ArticleViewLines(board, order, p, session.LogList);
        if (view.Result == ArticleViewText::Text) {
          CheckPreparedText(view.Lines);
          process.FindWriterHandle(view.Lines);
        }
      }
    }
  }
}

}  // namespace vorn::fuzz
