#include "dialoglogic/CommonSetLogic.h"

#include <cstdio>

#include "analysis/AnalysisCache.h"
#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

FontSample MakeSample(const std::string& name, int32_t size, TFontStyles style, TColor color,
                      TColor background) {
  return FontSample{name, size, style, color, background};
}

std::string SixDecimals(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

// Every set of every family, in family order and entry order.
std::vector<const NetRecord*> AllSets(const TBBSList& bbsList) {
  std::vector<const NetRecord*> sets;
  for (const BBSListEntry& family : bbsList) {
    if (!family.IniFile) continue;
    for (const NetRecord& net : family.IniFile->Nets())
      sets.push_back(&net);
  }
  return sets;
}

}  // namespace

const std::vector<std::string>& TCommonSetLogic::DropCountItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> list;
    for (int n = 5; n <= 50; n += 5)
      list.push_back(std::to_string(n));
    return list;
  }();
  return items;
}

const std::vector<std::string>& TCommonSetLogic::TreeTypeItems() {
  static const std::vector<std::string> items = {Cp932("なし"), Cp932("半角文字で描画"),
                                                 Cp932("全角文字で描画")};
  return items;
}

const std::vector<std::string>& TCommonSetLogic::ScrollItems() {
  static const std::vector<std::string> items = {Cp932("30%スクロール"), Cp932("50%スクロール"),
                                                 Cp932("80%スクロール"), Cp932("100%スクロール")};
  return items;
}

void TCommonSetLogic::Show(CommonSettings& c, const TBBSList& bbsList) {
  Editer = c.Editer;
  EditerEndActivate = c.EditerEndActivate;
  LogExtention = c.LogExtention;
  TempFile = c.TempFile;
  ReadThreads = std::to_string(c.ReadThreads);
  AnalysisCache = c.AnalysisCache;
  LogOpenNewMode = c.NewModeFlag;
  NoPrefixBBSNames.clear();
  NoPrefixBBS = -1;
  for (const NetRecord* net : AllSets(bbsList)) {
    if (NoPrefixBBS < 0 && !c.DefaultPrefix.empty() && net->Prefix == c.DefaultPrefix)
      NoPrefixBBS = int(NoPrefixBBSNames.size());
    NoPrefixBBSNames.push_back(net->Name);
  }
  NoPrefix = NoPrefixBBS >= 0;

  BouteChr = c.ArticleBouteChr;
  FotterAddBefore = c.FotterAddBefore;
  BouteBlankCut = c.BouteBlankCut;
  DefaultTitle = c.DefaultTitle;
  RessTitle = c.RessTitle;
  JumpRessTitleSrc = c.JumpRessTitleSrc;
  JumpRessTitleDist = c.JumpRessTitleDist;
  JumpRessWriteSrc = c.JumpRessWriteSrc;

  int32_t drop = c.BoardListDropCount / 5 * 5;
  if (drop < 1) drop = 5;
  DropCount = -1;
  const std::vector<std::string>& drops = DropCountItems();
  for (size_t i = 0; i < drops.size(); ++i) {
    if (drops[i] == std::to_string(drop)) DropCount = int(i);
  }
  if (DropCount < 0) {
    DropCount = 0;
    c.BoardListDropCount = 5;
  }
  BoardListFont = MakeSample(c.BoardListFontName, c.BoardListFontSize, c.BoardListFontStyle,
                             c.BoardListFontColor, c.BoardListBGColor);
  BoardListFontFixPitch = false;

  const FontSample grid =
      MakeSample(c.ArticleGridFontName, c.ArticleGridFontSize, c.ArticleGridFontStyle,
                 c.ArticleGridFontColor, c.ArticleGridBGColor);
  ArticleGridFont = grid;
  ArticleGridVirtual = grid;
  ArticleGridVirtual.FontColor = c.ArticleGridColorVirtual;
  ArticleGridNoRead = grid;
  ArticleGridNoRead.FontColor = c.ArticleGridColorNoRead;
  ArticleGridWrite = grid;
  ArticleGridWrite.FontColor = c.ArticleGridColorWrite;
  ArticleGridFontFixPitch = false;
  ArticleGridColor = c.ArticleGridColor;
  ArticleGridRowPlus = std::to_string(c.ArticleGridRowHeightPlus);
  treeTypeStored_ = c.ArticleGridTreeLineType;
  ArticleGridTreeType = treeTypeStored_ >= 0 && treeTypeStored_ <= 2 ? int(treeTypeStored_) : 0;
  treeTypeShown_ = ArticleGridTreeType;

  ArticleEditBouteChr = c.ArticleEditBouteChr;
  ArticleEditBigFontPrefix = c.ArticleEditBigFontPrefix;
  ArticleEditURLChr = c.ArticleEditURLChr;
  ArticleEditESCCut = c.ArticleEditESCCut;
  ArticleEditWordWrap = c.ArticleEditWordWrap;
  ArticleEditReturn = c.ArticleEditReturn;
  const FontSample view =
      MakeSample(c.ArticleEditFontName, c.ArticleEditFontSize, c.ArticleEditFontStyle,
                 c.ArticleEditFontColor, c.ArticleEditBGColor);
  ArticleEditFont = view;
  ArticleEditBoute = view;
  ArticleEditBoute.FontColor = c.ArticleEditBouteColor;
  ArticleEditEOF = view;
  ArticleEditEOF.FontColor = c.ArticleEditEOFColor;
  ArticleEditURL = view;
  ArticleEditURL.FontColor = c.ArticleEditURLColor;
  ArticleEditFontFixPitch = false;
  ArticleEditColor = c.ArticleEditColor;
  ArticleEditURLUse = c.ArticleEditURL;
  BigFontRatio = SixDecimals(c.ArticleEditBigFontSize);
  BigFontSet = c.ArticleEditBigFontSet;
  if (BigFontSet) {
    ArticleEditBig =
        MakeSample(c.ArticleEditFontBigName, c.ArticleEditFontBigSize, c.ArticleEditFontBigStyle,
                   c.ArticleEditFontBigColor, c.ArticleEditBGColor);
  } else {
    ArticleEditBig = view;
  }

  URLClick = c.URLClick;
  MailerSet = c.MailerSet;
  Mailer = c.Mailer;
  WWWSet = c.WWWSet;
  WWW = c.WWW;

  if (c.NoReadType) {
    NoRead = KeyGoNext;
  } else {
    NoRead = c.NoReadTypeNew ? KeyGoScroll1 : KeyGoScroll2;
  }
  KeyScroll = c.VScrollSize >= 0 && c.VScrollSize <= 3 ? int(c.VScrollSize) : 2;
  NoReadDialog = c.NoReadDialog;
  RootWriteJump = c.RoorWriteJump;
  NoSearchDialog = c.NoSearchDialog;
  EndCheck = c.EndCheck;
  LogOpenOnly = c.LogOpenOnly;
  IgnoredAsRead = c.IgnoredAsRead;
}

void TCommonSetLogic::SetNoPrefix(bool checked) {
  NoPrefix = checked;
  if (!checked) NoPrefixBBS = -1;
}

void TCommonSetLogic::UseBigFontRatio() {
  BigFontSet = false;
  double ratio = TextToFloat(BigFontRatio);
  if (ratio == NoFloat || !(ratio > 0)) ratio = 1;
  const TColor background = ArticleEditBig.BGColor;
  ArticleEditBig = ArticleEditFont;
  ArticleEditBig.BGColor = background;
  const double size = double(ArticleEditFont.FontSize) * ratio;
  // Sizes beyond any font are no size at all; the view's own size stands in for them.
  ArticleEditBig.FontSize = size >= 1 && size < 10000 ? int32_t(size) : ArticleEditFont.FontSize;
}

const FontSample& TCommonSetLogic::Sample(CommonSample which) const {
  return const_cast<TCommonSetLogic*>(this)->MutableSample(which);
}

FontSample& TCommonSetLogic::MutableSample(CommonSample which) {
  switch (which) {
    case CommonSample::BoardList:
      return BoardListFont;
    case CommonSample::ArticleGrid:
      return ArticleGridFont;
    case CommonSample::ArticleGridVirtual:
      return ArticleGridVirtual;
    case CommonSample::ArticleGridNoRead:
      return ArticleGridNoRead;
    case CommonSample::ArticleGridWrite:
      return ArticleGridWrite;
    case CommonSample::ArticleEdit:
      return ArticleEditFont;
    case CommonSample::ArticleEditBoute:
      return ArticleEditBoute;
    case CommonSample::ArticleEditEOF:
      return ArticleEditEOF;
    case CommonSample::ArticleEditURL:
      return ArticleEditURL;
    case CommonSample::ArticleEditBig:
      return ArticleEditBig;
  }
  return BoardListFont;
}

bool TCommonSetLogic::FixedPitchOnly(CommonSample which) const {
  switch (which) {
    case CommonSample::BoardList:
      return BoardListFontFixPitch;
    case CommonSample::ArticleGrid:
      return ArticleGridFontFixPitch;
    case CommonSample::ArticleEdit:
      return ArticleEditFontFixPitch;
    default:
      return false;
  }
}

void TCommonSetLogic::ChooseFont(CommonSample which, const FontChoice& font) {
  FontSample& sample = MutableSample(which);
  sample.FontName = font.FontName;
  sample.FontSize = font.FontSize;
  sample.FontStyle = font.FontStyle;
  sample.FontColor = font.FontColor;
  auto shareFace = [&font](FontSample& other) {
    other.FontName = font.FontName;
    other.FontSize = font.FontSize;
    other.FontStyle = font.FontStyle;
  };
  if (which == CommonSample::ArticleGrid) {
    shareFace(ArticleGridVirtual);
    shareFace(ArticleGridNoRead);
    shareFace(ArticleGridWrite);
  } else if (which == CommonSample::ArticleEdit) {
    shareFace(ArticleEditBoute);
    shareFace(ArticleEditEOF);
    shareFace(ArticleEditURL);
  }
}

void TCommonSetLogic::ChooseBackground(CommonSample which, TColor color) {
  switch (which) {
    case CommonSample::BoardList:
      BoardListFont.BGColor = color;
      break;
    case CommonSample::ArticleGrid:
      for (FontSample* s :
           {&ArticleGridFont, &ArticleGridVirtual, &ArticleGridNoRead, &ArticleGridWrite}) {
        s->BGColor = color;
      }
      break;
    case CommonSample::ArticleEdit:
      for (FontSample* s : {&ArticleEditFont, &ArticleEditBoute, &ArticleEditEOF, &ArticleEditURL,
                            &ArticleEditBig}) {
        s->BGColor = color;
      }
      break;
    default:
      break;
  }
}

void TCommonSetLogic::ChooseTextColor(CommonSample which, TColor color) {
  MutableSample(which).FontColor = color;
}

void TCommonSetLogic::Store(CommonSettings& c, const TBBSList& bbsList) const {
  c.Editer = Editer;
  c.EditerEndActivate = EditerEndActivate;
  c.LogExtention = LogExtention;
  c.TempFile = TempFile;
  // A value out of range keeps the stored one, as the other numbers of the dialog do.
  const int32_t threads = TextToNumber(ReadThreads);
  if (threads != NoNumber && threads >= 0 && threads <= CommonSettings::MostReadThreads)
    c.ReadThreads = threads;
  c.AnalysisCache = AnalysisCache;
  c.NewModeFlag = LogOpenNewMode;
  c.DefaultPrefix.clear();
  if (NoPrefixBBS >= 0 && size_t(NoPrefixBBS) < NoPrefixBBSNames.size()) {
    const std::string& name = NoPrefixBBSNames[size_t(NoPrefixBBS)];
    for (const NetRecord* net : AllSets(bbsList)) {
      if (net->Name == name) {
        c.DefaultPrefix = net->Prefix;
        break;
      }
    }
  }

  c.ArticleBouteChr = BouteChr;
  c.FotterAddBefore = FotterAddBefore;
  c.BouteBlankCut = BouteBlankCut;
  c.DefaultTitle = DefaultTitle;
  c.RessTitle = RessTitle;
  c.JumpRessTitleSrc = JumpRessTitleSrc;
  c.JumpRessTitleDist = JumpRessTitleDist;
  c.JumpRessWriteSrc = JumpRessWriteSrc;

  c.BoardListFontName = BoardListFont.FontName;
  c.BoardListFontSize = BoardListFont.FontSize;
  c.BoardListFontColor = BoardListFont.FontColor;
  c.BoardListFontStyle = BoardListFont.FontStyle;
  c.BoardListBGColor = BoardListFont.BGColor;
  int32_t drop = 0;
  if (DropCount >= 0 && size_t(DropCount) < DropCountItems().size())
    drop = TextToNumber(DropCountItems()[size_t(DropCount)]);
  c.BoardListDropCount = drop > 0 ? drop : 5;

  c.ArticleGridFontName = ArticleGridFont.FontName;
  c.ArticleGridFontSize = ArticleGridFont.FontSize;
  c.ArticleGridFontStyle = ArticleGridFont.FontStyle;
  c.ArticleGridBGColor = ArticleGridFont.BGColor;
  c.ArticleGridFontColor = ArticleGridFont.FontColor;
  c.ArticleGridColorVirtual = ArticleGridVirtual.FontColor;
  c.ArticleGridColorNoRead = ArticleGridNoRead.FontColor;
  c.ArticleGridColorWrite = ArticleGridWrite.FontColor;
  const int32_t rowPlus = TextToNumber(ArticleGridRowPlus);
  if (rowPlus != NoNumber && rowPlus >= 0) c.ArticleGridRowHeightPlus = rowPlus;
  // A drawn tree (3) has no item here; it stays unless the user picked another item.
  if (ArticleGridTreeType != treeTypeShown_ || (treeTypeStored_ >= 0 && treeTypeStored_ <= 2))
    c.ArticleGridTreeLineType = ArticleGridTreeType;
  else
    c.ArticleGridTreeLineType = treeTypeStored_;
  c.ArticleGridColor = ArticleGridColor;

  c.ArticleEditBouteChr = ArticleEditBouteChr;
  c.ArticleEditBigFontPrefix = ArticleEditBigFontPrefix;
  c.ArticleEditURLChr = ArticleEditURLChr;
  c.ArticleEditESCCut = ArticleEditESCCut;
  c.ArticleEditWordWrap = ArticleEditWordWrap;
  c.ArticleEditReturn = ArticleEditReturn;
  c.ArticleEditFontName = ArticleEditFont.FontName;
  c.ArticleEditFontSize = ArticleEditFont.FontSize;
  c.ArticleEditFontStyle = ArticleEditFont.FontStyle;
  c.ArticleEditBGColor = ArticleEditFont.BGColor;
  c.ArticleEditFontColor = ArticleEditFont.FontColor;
  c.ArticleEditBouteColor = ArticleEditBoute.FontColor;
  c.ArticleEditEOFColor = ArticleEditEOF.FontColor;
  c.ArticleEditURLColor = ArticleEditURL.FontColor;
  c.ArticleEditColor = ArticleEditColor;
  c.ArticleEditURL = ArticleEditURLUse;
  c.ArticleEditBigFontSet = BigFontSet;
  const double ratio = TextToFloat(BigFontRatio);
  if (ratio != NoFloat && ratio >= 0) c.ArticleEditBigFontSize = ratio;
  c.ArticleEditFontBigName = ArticleEditBig.FontName;
  c.ArticleEditFontBigSize = ArticleEditBig.FontSize;
  c.ArticleEditFontBigColor = ArticleEditBig.FontColor;
  c.ArticleEditFontBigStyle = ArticleEditBig.FontStyle;

  c.URLClick = URLClick;
  c.MailerSet = MailerSet;
  c.Mailer = Mailer;
  c.WWWSet = WWWSet;
  c.WWW = WWW;

  if (NoRead == KeyGoNext) {
    c.NoReadType = true;
  } else {
    c.NoReadType = false;
    c.NoReadTypeNew = NoRead == KeyGoScroll1;
  }
  c.VScrollSize = KeyScroll;
  c.NoReadDialog = NoReadDialog;
  c.RoorWriteJump = RootWriteJump;
  c.NoSearchDialog = NoSearchDialog;
  c.EndCheck = EndCheck;
  c.LogOpenOnly = LogOpenOnly;
  c.IgnoredAsRead = IgnoredAsRead;
}

std::string TCommonSetLogic::AnalysisCacheSizeText() {
  const double bytes = static_cast<double>(AnalysisCache::FolderBytes(CacheFolder()));
  char text[64];
  if (bytes < 1024 * 1024)
    std::snprintf(text, sizeof text, " %.0f KB", bytes / 1024);
  else if (bytes < 1024.0 * 1024 * 1024)
    std::snprintf(text, sizeof text, " %.1f MB", bytes / (1024 * 1024));
  else
    std::snprintf(text, sizeof text, " %.2f GB", bytes / (1024.0 * 1024 * 1024));
  return Cp932("使用量") + text;
}

bool TCommonSetLogic::ClearAnalysisCache() {
  return AnalysisCache::ClearFolder(CacheFolder());
}

}  // namespace vorn
