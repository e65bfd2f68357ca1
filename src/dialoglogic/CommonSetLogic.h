#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialoglogic/BBSList.h"
#include "settings/IniFilePlus.h"

namespace vorn {

struct CommonSettings;

// What a sample label ("表示例") shows: its font with the text colour, and its own background.
struct FontSample {
  std::string FontName;  // CP932, as the settings name it
  int32_t FontSize = 9;
  TFontStyles FontStyle = 0;
  TColor FontColor = clBlack;
  TColor BGColor = clWindow;
  bool operator==(const FontSample&) const = default;
};

// A font as the font dialog returns it.
struct FontChoice {
  std::string FontName;
  int32_t FontSize = 9;
  TFontStyles FontStyle = 0;
  TColor FontColor = clBlack;
};

// The samples that have a font button, a background button or a text-colour button.
enum class CommonSample {
  BoardList,
  ArticleGrid,
  ArticleGridVirtual,
  ArticleGridNoRead,
  ArticleGridWrite,
  ArticleEdit,
  ArticleEditBoute,
  ArticleEditEOF,
  ArticleEditURL,
  ArticleEditBig,
};

// The logic of the common settings dialog: every control's value as the dialog shows it, the
// rules that tie controls together (what a check box enables, what a font button changes), and
// what OK stores. The widget only maps controls to these fields.
class TCommonSetLogic {
 public:
  // The items of the three choice lists.
  static const std::vector<std::string>& DropCountItems();
  static const std::vector<std::string>& TreeTypeItems();
  static const std::vector<std::string>& ScrollItems();

  // Fills every field from the settings. A drop count that no item shows is set to 5 in the
  // settings at once (also when the dialog is cancelled afterwards).
  void Show(CommonSettings& settings, const TBBSList& bbsList);
  // OK: every field back into the settings.
  void Store(CommonSettings& settings, const TBBSList& bbsList) const;

  // "共通"
  std::string Editer;
  bool EditerEndActivate = false;
  std::string LogExtention;
  std::string TempFile;
  std::string ReadThreads;  // 0: one a core
  bool AnalysisCache = true;
  // The analysis cache in the user's cache folder: its size as shown ("使用量 1.5 MB"), and
  // emptying it (false when something could not be removed).
  static std::string AnalysisCacheSizeText();
  static bool ClearAnalysisCache();
  bool NoPrefix = false;
  std::vector<std::string> NoPrefixBBSNames;  // every set of every family, in order
  int NoPrefixBBS = -1;                       // the selected name, -1 for none
  bool LogOpenNewMode = false;
  void SetNoPrefix(bool checked);  // unchecking clears the selection
  bool NoPrefixBBSEnabled() const { return NoPrefix; }

  // "記事"
  std::string BouteChr;
  bool FotterAddBefore = false;
  bool BouteBlankCut = false;
  std::string DefaultTitle;
  std::string RessTitle;
  std::string JumpRessTitleSrc;
  std::string JumpRessTitleDist;
  bool JumpRessWriteSrc = false;
  bool JumpRessTitleSrcEnabled() const { return JumpRessWriteSrc; }

  // "ボード一覧"
  int DropCount = 0;  // item index
  FontSample BoardListFont;
  bool BoardListFontFixPitch = false;

  // "記事一覧"
  FontSample ArticleGridFont;
  FontSample ArticleGridVirtual;
  FontSample ArticleGridNoRead;
  FontSample ArticleGridWrite;
  bool ArticleGridFontFixPitch = false;
  bool ArticleGridColor = false;
  std::string ArticleGridRowPlus;
  int ArticleGridTreeType = 0;  // item index
  bool ArticleGridColorButtonsEnabled() const { return ArticleGridColor; }

  // "記事表示"
  std::string ArticleEditBouteChr;
  std::string ArticleEditBigFontPrefix;
  std::string ArticleEditURLChr;
  bool ArticleEditESCCut = false;
  bool ArticleEditWordWrap = false;
  bool ArticleEditReturn = false;
  FontSample ArticleEditFont;
  FontSample ArticleEditBoute;
  FontSample ArticleEditEOF;
  FontSample ArticleEditURL;  // shown underlined as well
  bool ArticleEditFontFixPitch = false;
  bool ArticleEditColor = false;
  bool ArticleEditURLUse = false;
  bool BigFontSet = false;  // "フォント指定" (true) or "倍率指定" (false)
  std::string BigFontRatio;
  FontSample ArticleEditBig;
  bool ArticleEditColorButtonsEnabled() const { return ArticleEditColor; }
  bool ArticleEditURLColorEnabled() const { return ArticleEditURLUse; }
  bool BigFontRatioEnabled() const { return !BigFontSet; }
  bool BigFontButtonEnabled() const { return BigFontSet; }
  // Choosing "倍率指定", or leaving the ratio box: the double-size sample becomes the view font
  // at the view size times the ratio (a ratio that is not a number above 0 counts as 1).
  void UseBigFontRatio();
  // Choosing "フォント指定".
  void UseBigFontSet() { BigFontSet = true; }

  // "Internet"
  bool URLClick = false;
  bool MailerSet = false;
  std::string Mailer;
  bool WWWSet = false;
  std::string WWW;

  // "キー"
  enum NoReadChoice { KeyGoNext = 0, KeyGoScroll1 = 1, KeyGoScroll2 = 2 };
  int NoRead = KeyGoNext;
  int KeyScroll = 0;  // item index
  bool NoReadDialog = false;
  bool RootWriteJump = false;
  bool NoSearchDialog = false;
  bool EndCheck = false;
  bool LogOpenOnly = false;
  bool IgnoredAsRead = false;

  // The sample a font, background or text-colour button works on, and the font dialog's start.
  const FontSample& Sample(CommonSample which) const;
  // The font dialog offers only fixed-pitch fonts (never for the double-size font).
  bool FixedPitchOnly(CommonSample which) const;
  // The font buttons: the sample takes the font; the grid and view fonts also give their name,
  // size and style to the other samples of their page.
  void ChooseFont(CommonSample which, const FontChoice& font);
  // The background buttons of the board list, the grid (all four samples) and the view (its
  // four samples and the double-size sample).
  void ChooseBackground(CommonSample which, TColor color);
  // The text-colour buttons of the special colours.
  void ChooseTextColor(CommonSample which, TColor color);

 private:
  FontSample& MutableSample(CommonSample which);

  int treeTypeShown_ = 0;
  int32_t treeTypeStored_ = 0;
};

}  // namespace vorn
