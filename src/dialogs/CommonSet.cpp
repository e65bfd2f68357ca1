#include "dialogs/CommonSet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/Cp932.h"
#include "platform/UiServices.h"
#include "qtsupport/DisplayMapping.h"
#include "settings/CommonIniFile.h"

namespace vorn {
namespace {

TFontStyles StyleOf(const QFont& font) {
  TFontStyles style = 0;
  if (font.bold()) style |= fsBold;
  if (font.italic()) style |= fsItalic;
  if (font.underline()) style |= fsUnderline;
  if (font.strikeOut()) style |= fsStrikeOut;
  return style;
}

// The font dialog with the text colour beside it: the settings keep a colour with every font.
class TFontColorDialog final : public QDialog {
 public:
  TFontColorDialog(QWidget* parent, const FontSample& start, bool fixedPitchOnly)
      : QDialog(parent), color_(start.FontColor) {
    setObjectName(QStringLiteral("FontDialog1"));
    setWindowTitle(QStringLiteral("フォント"));
    auto* layout = new QVBoxLayout(this);
    fonts_ = new QFontDialog(this);
    fonts_->setWindowFlags(Qt::Widget);
    fonts_->setOption(QFontDialog::NoButtons, true);
    fonts_->setOption(QFontDialog::MonospacedFonts, fixedPitchOnly);
    fonts_->setCurrentFont(QtFont(start.FontName, start.FontSize, start.FontStyle));
    layout->addWidget(fonts_);
    auto* row = new QHBoxLayout();
    row->addWidget(new QLabel(QStringLiteral("文字色"), this));
    swatch_ = new QPushButton(this);
    swatch_->setObjectName(QStringLiteral("BTNFontColor"));
    swatch_->setFixedWidth(60);
    connect(swatch_, &QPushButton::clicked, this, [this] {
      const QColor chosen = QColorDialog::getColor(QtColor(color_), this);
      if (chosen.isValid()) {
        color_ = SettingsColor(chosen);
        ShowSwatch();
      }
    });
    row->addWidget(swatch_);
    row->addStretch(1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    ShowSwatch();
  }

  FontChoice Choice() const {
    const QFont font = fonts_->currentFont();
    FontChoice choice;
    choice.FontName = CoreText(font.family());
    choice.FontSize = font.pointSize() > 0 ? font.pointSize() : 9;
    choice.FontStyle = StyleOf(font);
    choice.FontColor = color_;
    return choice;
  }

 private:
  void ShowSwatch() {
    swatch_->setStyleSheet(QStringLiteral("background-color: %1").arg(QtColor(color_).name()));
  }

  QFontDialog* fonts_;
  QPushButton* swatch_;
  TColor color_;
};

QString CaptionOf(const std::string& cp932) {
  return QtText(cp932);
}

}  // namespace

TColor SettingsColor(const QColor& color) {
  return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

std::optional<FontChoice> TQtCommonSetPickers::ChooseFont(const FontSample& start,
                                                          bool fixedPitchOnly) {
  TFontColorDialog dialog(parent_, start, fixedPitchOnly);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Choice();
}

std::optional<TColor> TQtCommonSetPickers::ChooseColor(TColor start) {
  const QColor chosen = QColorDialog::getColor(QtColor(start), parent_);
  if (!chosen.isValid()) return std::nullopt;
  return SettingsColor(chosen);
}

std::optional<std::string> TQtCommonSetPickers::ChooseFile(const std::string& title,
                                                           const std::string& current,
                                                           bool executables) {
  QFileDialog dialog(parent_, QtText(title));
  dialog.setObjectName(QStringLiteral("OpenDialog1"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(executables ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (executables) {
    const QStringList filters = {QStringLiteral("実行ファイル(*.EXE) (*.EXE *.exe)"),
                                 QStringLiteral("すべてのファイル(*.*) (*)")};
    dialog.setNameFilters(filters);
    // Programs here have no extension; the list starts with every file.
    dialog.selectNameFilter(filters.last());
  }
  if (!current.empty()) {
    const QFileInfo info(QtPath(current));
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return CorePath(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

TCommonSetForm::TCommonSetForm(QWidget* parent, std::unique_ptr<TCommonSetPickers> pickers)
    : QDialog(parent), pickers_(std::move(pickers)) {
  if (!pickers_) pickers_ = std::make_unique<TQtCommonSetPickers>(this);
  setObjectName(QStringLiteral("CommonSetForm"));
  setWindowTitle(QStringLiteral("共通設定"));
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  pages_->addTab(BuildCommonPage(), QStringLiteral("共通"));
  pages_->addTab(BuildArticlePage(), QStringLiteral("記事"));
  pages_->addTab(BuildBoardListPage(), QStringLiteral("ボード一覧"));
  pages_->addTab(BuildArticleGridPage(), QStringLiteral("記事一覧"));
  pages_->addTab(BuildArticleEditPage(), QStringLiteral("記事表示"));
  pages_->addTab(BuildInternetPage(), QStringLiteral("Internet"));
  pages_->addTab(BuildKeyPage(), QStringLiteral("キー"));
  layout->addWidget(pages_, 1);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  QPushButton* ok = Button(this, "BTNOK", QStringLiteral("OK(&O)"));
  ok->setDefault(true);
  QPushButton* cancel = Button(this, "BTNCancel", QStringLiteral("Cancel(&C)"));
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  // Wide enough for the URL list and the jump-reply title in their boxes.
  setMinimumWidth(660);
  connect(ok, &QPushButton::clicked, this, &TCommonSetForm::BTNOKClick);
  connect(cancel, &QPushButton::clicked, this, &TCommonSetForm::BTNCancelClick);
}

TCommonSetForm::~TCommonSetForm() = default;

QPushButton* TCommonSetForm::Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

QLineEdit* TCommonSetForm::Edit(QWidget* parent, const char* name, std::string* field) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  edits_[e] = field;
  connect(e, &QLineEdit::textChanged, this, [this, field](const QString& text) {
    if (!showing_) *field = CoreText(text);
  });
  return e;
}

QCheckBox* TCommonSetForm::Check(QWidget* parent, const char* name, const QString& caption,
                                 bool* field) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(QString::fromLatin1(name));
  checks_[c] = field;
  connect(c, &QCheckBox::toggled, this, [this, field](bool on) {
    if (showing_) return;
    *field = on;
    ShowEnabledStates();
  });
  return c;
}

QLabel* TCommonSetForm::SampleLabel(QWidget* parent, const char* name, CommonSample sample) {
  auto* label = new QLabel(QStringLiteral("表示例"), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setAutoFillBackground(true);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setAlignment(Qt::AlignCenter);
  label->setMinimumWidth(120);
  label->setMinimumHeight(28);
  samples_[label] = sample;
  return label;
}

QPushButton* TCommonSetForm::FontButton(QWidget* parent, const char* name, CommonSample sample) {
  QPushButton* b = Button(parent, name, QStringLiteral("フォント"));
  connect(b, &QPushButton::clicked, this, [this, sample] {
    const std::optional<FontChoice> font =
        pickers_->ChooseFont(logic_.Sample(sample), logic_.FixedPitchOnly(sample));
    if (!font) return;
    logic_.ChooseFont(sample, *font);
    ShowSamples();
  });
  return b;
}

QPushButton* TCommonSetForm::BackgroundButton(QWidget* parent, const char* name,
                                              CommonSample sample) {
  QPushButton* b = Button(parent, name, QStringLiteral("背景色"));
  connect(b, &QPushButton::clicked, this, [this, sample] {
    const std::optional<TColor> color = pickers_->ChooseColor(logic_.Sample(sample).BGColor);
    if (!color) return;
    logic_.ChooseBackground(sample, *color);
    ShowSamples();
  });
  return b;
}

QPushButton* TCommonSetForm::TextColorButton(QWidget* parent, const char* name,
                                             const QString& caption, CommonSample sample) {
  QPushButton* b = Button(parent, name, caption);
  connect(b, &QPushButton::clicked, this, [this, sample] {
    const std::optional<TColor> color = pickers_->ChooseColor(logic_.Sample(sample).FontColor);
    if (!color) return;
    logic_.ChooseTextColor(sample, *color);
    ShowSamples();
  });
  return b;
}

QPushButton* TCommonSetForm::BrowseButton(QWidget* parent, const char* name, QLineEdit* edit,
                                          const QString& title, bool executables) {
  QPushButton* b = Button(parent, name, QStringLiteral("参照"));
  connect(b, &QPushButton::clicked, this, [this, edit, title, executables] {
    const std::optional<std::string> path =
        pickers_->ChooseFile(CoreText(title), CoreText(edit->text()), executables);
    if (path) edit->setText(QtText(*path));
  });
  return b;
}

QWidget* TCommonSetForm::BuildCommonPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabCommon"));
  auto* layout = new QVBoxLayout(page);

  auto* editor = new QGroupBox(QStringLiteral("使用エディタ"), page);
  auto* editorLayout = new QVBoxLayout(editor);
  auto* editorRow = new QHBoxLayout();
  QLineEdit* edEditer = Edit(editor, "EDEditer", &logic_.Editer);
  editorRow->addWidget(edEditer, 1);
  editorRow->addWidget(BrowseButton(editor, "BTNEditPath", edEditer,
                                    QStringLiteral("エディタ実行ファイル指定"), true));
  editorLayout->addLayout(editorRow);
  editorLayout->addWidget(Check(editor, "CBEditerEndActivate",
                                QStringLiteral("エディタ終了条件をVornExplorerアクティブとする"),
                                &logic_.EditerEndActivate));
  layout->addWidget(editor);

  auto* form = new QGridLayout();
  form->addWidget(new QLabel(QStringLiteral("ログ拡張子"), page), 0, 0);
  QLineEdit* edExt = Edit(page, "EDLogExtention", &logic_.LogExtention);
  edExt->setMaximumWidth(80);
  form->addWidget(edExt, 0, 1, Qt::AlignLeft);
  form->addWidget(new QLabel(QStringLiteral("テンポラリファイル"), page), 1, 0);
  auto* tempRow = new QHBoxLayout();
  QLineEdit* edTemp = Edit(page, "EDTempFile", &logic_.TempFile);
  tempRow->addWidget(edTemp, 1);
  tempRow->addWidget(BrowseButton(page, "BTNTempFile", edTemp,
                                  QStringLiteral("テンポラリファイルファイル指定"), false));
  form->addLayout(tempRow, 1, 1);
  form->addWidget(new QLabel(QStringLiteral("読込みスレッド数"), page), 2, 0);
  auto* threadsRow = new QHBoxLayout();
  QLineEdit* edThreads = Edit(page, "EDReadThreads", &logic_.ReadThreads);
  edThreads->setMaximumWidth(80);
  threadsRow->addWidget(edThreads);
  threadsRow->addWidget(
      new QLabel(QStringLiteral("(同時に読み込むログファイルの数。0: CPUコア数)"), page), 1);
  form->addLayout(threadsRow, 2, 1);
  form->addWidget(new QLabel(QStringLiteral("解析キャッシュ"), page), 3, 0);
  auto* cacheRow = new QHBoxLayout();
  cacheRow->addWidget(Check(page, "CBAnalysisCache",
                            QStringLiteral("変更の無いログファイルは解析し直さない"),
                            &logic_.AnalysisCache));
  lbCacheSize_ = new QLabel(page);
  lbCacheSize_->setObjectName(QStringLiteral("LBCacheSize"));
  cacheRow->addWidget(lbCacheSize_, 1);
  QPushButton* clear = Button(page, "BTNClearCache", QStringLiteral("キャッシュを消去"));
  cacheRow->addWidget(clear);
  connect(clear, &QPushButton::clicked, this, [this] {
    if (!TCommonSetLogic::ClearAnalysisCache())
      Ui().Warning(Cp932("キャッシュの一部を消去出来ませんでした"));
    lbCacheSize_->setText(QtText(TCommonSetLogic::AnalysisCacheSizeText()));
  });
  form->addLayout(cacheRow, 3, 1);
  form->setColumnStretch(1, 1);
  layout->addLayout(form);

  auto* noPrefix = new QGroupBox(page);
  auto* noPrefixLayout = new QVBoxLayout(noPrefix);
  cbNoPrefix_ = new QCheckBox(
      QStringLiteral("プレフィックス無しログファイルを指定BBSログファイルとする"), noPrefix);
  cbNoPrefix_->setObjectName(QStringLiteral("CBNoPrefix"));
  noPrefixLayout->addWidget(cbNoPrefix_);
  auto* bbsRow = new QHBoxLayout();
  bbsRow->addWidget(new QLabel(QStringLiteral("対応BBS"), noPrefix));
  clNoPrefixBBS_ = new QComboBox(noPrefix);
  clNoPrefixBBS_->setObjectName(QStringLiteral("CLNoPrefixBBS"));
  clNoPrefixBBS_->setMinimumContentsLength(20);
  bbsRow->addWidget(clNoPrefixBBS_, 1);
  noPrefixLayout->addLayout(bbsRow);
  layout->addWidget(noPrefix);
  connect(cbNoPrefix_, &QCheckBox::toggled, this, [this](bool on) {
    if (showing_) return;
    logic_.SetNoPrefix(on);
    if (!on) clNoPrefixBBS_->setCurrentIndex(-1);
    ShowEnabledStates();
  });
  connect(clNoPrefixBBS_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_) logic_.NoPrefixBBS = index;
  });

  layout->addWidget(Check(page, "CBLogOpenNewMode",
                          QStringLiteral("ログオープン時、新規記事閲覧モードとする"),
                          &logic_.LogOpenNewMode));
  layout->addStretch(1);
  return page;
}

QWidget* TCommonSetForm::BuildArticlePage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabArticle"));
  auto* layout = new QVBoxLayout(page);

  auto* quote = new QGroupBox(QStringLiteral("引用"), page);
  auto* quoteLayout = new QGridLayout(quote);
  quoteLayout->addWidget(new QLabel(QStringLiteral("引用符"), quote), 0, 0);
  QLineEdit* edBoute = Edit(quote, "EDBouteChr", &logic_.BouteChr);
  edBoute->setMaximumWidth(80);
  quoteLayout->addWidget(edBoute, 0, 1, Qt::AlignLeft);
  quoteLayout->addWidget(Check(quote, "CBBouteBlankCut", QStringLiteral("引用時に空白行を削除する"),
                               &logic_.BouteBlankCut),
                         1, 0, 1, 2);
  quoteLayout->setColumnStretch(1, 1);
  layout->addWidget(quote);
  layout->addWidget(Check(page, "CBFotterAddBefore",
                          QStringLiteral("編集前に署名ファイルを付加する"),
                          &logic_.FotterAddBefore));

  auto* titles = new QGroupBox(QStringLiteral("通常時タイトル"), page);
  auto* titlesLayout = new QFormLayout(titles);
  titlesLayout->addRow(QStringLiteral("標準"),
                       Edit(titles, "EDDefaultTitle", &logic_.DefaultTitle));
  titlesLayout->addRow(QStringLiteral("レス"), Edit(titles, "EDRessTitle", &logic_.RessTitle));
  layout->addWidget(titles);

  auto* jump = new QGroupBox(QStringLiteral("ボード移動レス時タイトル"), page);
  auto* jumpLayout = new QFormLayout(jump);
  edJumpRessTitleSrc_ = Edit(jump, "EDJumpRessTitleSrc", &logic_.JumpRessTitleSrc);
  jumpLayout->addRow(QStringLiteral("移動元ボード"), edJumpRessTitleSrc_);
  jumpLayout->addRow(QStringLiteral("移動先ボード"),
                     Edit(jump, "EDJumpRessTitleDist", &logic_.JumpRessTitleDist));
  jumpLayout->addRow(Check(jump, "CBJumpRessWriteSrc",
                           QStringLiteral("レス元記事に自動的にレスを付ける"),
                           &logic_.JumpRessWriteSrc));
  layout->addWidget(jump);
  layout->addStretch(1);
  return page;
}

QWidget* TCommonSetForm::BuildBoardListPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabBoardList"));
  auto* layout = new QVBoxLayout(page);
  auto* dropRow = new QHBoxLayout();
  dropRow->addWidget(new QLabel(QStringLiteral("ドロップ項目数"), page));
  cbBoardListDropCount_ = new QComboBox(page);
  cbBoardListDropCount_->setObjectName(QStringLiteral("CBBoardListDropCount"));
  for (const std::string& item : TCommonSetLogic::DropCountItems())
    cbBoardListDropCount_->addItem(CaptionOf(item));
  connect(cbBoardListDropCount_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_) logic_.DropCount = index;
  });
  dropRow->addWidget(cbBoardListDropCount_);
  dropRow->addStretch(1);
  layout->addLayout(dropRow);

  auto* font = new QGroupBox(QStringLiteral("フォント"), page);
  auto* fontLayout = new QGridLayout(font);
  fontLayout->addWidget(SampleLabel(font, "LBBoardListFont", CommonSample::BoardList), 0, 0, 2, 1);
  fontLayout->addWidget(FontButton(font, "BTNBoardListFont", CommonSample::BoardList), 0, 1);
  fontLayout->addWidget(BackgroundButton(font, "BTNBoardListBGColor", CommonSample::BoardList), 1,
                        1);
  fontLayout->addWidget(
      Check(font, "CBBoardListFontFixPitch", QStringLiteral("等幅フォントのみ対象とする"),
            &logic_.BoardListFontFixPitch),
      2, 0, 1, 2);
  fontLayout->setColumnStretch(0, 1);
  layout->addWidget(font);
  layout->addStretch(1);
  return page;
}

QWidget* TCommonSetForm::BuildArticleGridPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabArticleGrid"));
  auto* layout = new QVBoxLayout(page);
  auto* font = new QGroupBox(QStringLiteral("フォント・色"), page);
  auto* grid = new QGridLayout(font);
  grid->addWidget(SampleLabel(font, "LBArticleGridFont", CommonSample::ArticleGrid), 0, 0);
  auto* fontButtons = new QHBoxLayout();
  fontButtons->addWidget(FontButton(font, "BTNArticleGridFont", CommonSample::ArticleGrid));
  fontButtons->addWidget(
      BackgroundButton(font, "BTNArticleGridBGColor", CommonSample::ArticleGrid));
  grid->addLayout(fontButtons, 0, 1);
  const struct {
    const char* label;
    const char* button;
    const char* caption;
    CommonSample sample;
  } colours[] = {
      {"LBArticleGridVirtual", "BTNArticleGridVirtualColor", "仮想記事色",
       CommonSample::ArticleGridVirtual},
      {"LBArticleGridNoRead", "BTNArticleGridNoReadColor", "未読記事色",
       CommonSample::ArticleGridNoRead},
      {"LBArticleGridWrite", "BTNArticleGridWriteColor", "書込記事色",
       CommonSample::ArticleGridWrite},
  };
  int row = 1;
  for (const auto& c : colours) {
    grid->addWidget(SampleLabel(font, c.label, c.sample), row, 0);
    btnArticleGridColors_[row - 1] =
        TextColorButton(font, c.button, QString::fromUtf8(c.caption), c.sample);
    grid->addWidget(btnArticleGridColors_[row - 1], row, 1, Qt::AlignLeft);
    ++row;
  }
  grid->addWidget(
      Check(font, "CBArticleGridFontFixPitch", QStringLiteral("等幅フォントのみ対象とする"),
            &logic_.ArticleGridFontFixPitch),
      row++, 0, 1, 2);
  grid->addWidget(Check(font, "CBArticleGridColor", QStringLiteral("特殊指定色を使用する"),
                        &logic_.ArticleGridColor),
                  row++, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  layout->addWidget(font);

  auto* form = new QGridLayout();
  form->addWidget(new QLabel(QStringLiteral("行間"), page), 0, 0);
  QLineEdit* rowPlus = Edit(page, "EDArticleGridRowPlus", &logic_.ArticleGridRowPlus);
  rowPlus->setMaximumWidth(60);
  form->addWidget(rowPlus, 0, 1, Qt::AlignLeft);
  form->addWidget(new QLabel(QStringLiteral("ツリー枝"), page), 1, 0);
  cbArticleGridTreeType_ = new QComboBox(page);
  cbArticleGridTreeType_->setObjectName(QStringLiteral("CBArticleGridTreeType"));
  for (const std::string& item : TCommonSetLogic::TreeTypeItems())
    cbArticleGridTreeType_->addItem(CaptionOf(item));
  connect(cbArticleGridTreeType_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_) logic_.ArticleGridTreeType = index;
  });
  form->addWidget(cbArticleGridTreeType_, 1, 1, Qt::AlignLeft);
  form->setColumnStretch(2, 1);
  layout->addLayout(form);
  layout->addStretch(1);
  return page;
}

QWidget* TCommonSetForm::BuildArticleEditPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabArticleEdit"));
  auto* layout = new QGridLayout(page);

  auto* texts = new QFormLayout();
  texts->addRow(QStringLiteral("判定用引用符"),
                Edit(page, "EDArticleEditBouteChr", &logic_.ArticleEditBouteChr));
  texts->addRow(QStringLiteral("倍角指定文字"),
                Edit(page, "EDArticleEditBigFontPrefix", &logic_.ArticleEditBigFontPrefix));
  texts->addRow(QStringLiteral("URL判定文字"),
                Edit(page, "EDArticleEditURLChr", &logic_.ArticleEditURLChr));
  layout->addLayout(texts, 0, 0);
  auto* switches = new QVBoxLayout();
  switches->addWidget(Check(page, "CBArticleEditESCCut",
                            QStringLiteral("ESCシーケンス文字を削除する"),
                            &logic_.ArticleEditESCCut));
  switches->addWidget(Check(page, "CBArticleEditWordWrap", QStringLiteral("右端で折り返す"),
                            &logic_.ArticleEditWordWrap));
  switches->addWidget(Check(page, "CBArticleEditReturn", QStringLiteral("80文字で折り返す"),
                            &logic_.ArticleEditReturn));
  layout->addLayout(switches, 0, 1);

  auto* font = new QGroupBox(QStringLiteral("フォント・色"), page);
  auto* grid = new QGridLayout(font);
  grid->addWidget(SampleLabel(font, "LBArticleEditFont", CommonSample::ArticleEdit), 0, 0);
  auto* fontButtons = new QHBoxLayout();
  fontButtons->addWidget(FontButton(font, "BTNArticleEditFont", CommonSample::ArticleEdit));
  fontButtons->addWidget(
      BackgroundButton(font, "BTNArticleEditBGColor", CommonSample::ArticleEdit));
  grid->addLayout(fontButtons, 0, 1);
  grid->addWidget(SampleLabel(font, "LBArticleEditBoute", CommonSample::ArticleEditBoute), 1, 0);
  btnArticleEditBouteColor_ = TextColorButton(
      font, "BTNArticleEditBouteColor", QStringLiteral("引用行色"), CommonSample::ArticleEditBoute);
  grid->addWidget(btnArticleEditBouteColor_, 1, 1, Qt::AlignLeft);
  grid->addWidget(SampleLabel(font, "LBArticleEditEOF", CommonSample::ArticleEditEOF), 2, 0);
  btnArticleEditEOFColor_ = TextColorButton(
      font, "BTNArticleEditEOFColor", QStringLiteral("[EOF]色"), CommonSample::ArticleEditEOF);
  grid->addWidget(btnArticleEditEOFColor_, 2, 1, Qt::AlignLeft);
  grid->addWidget(SampleLabel(font, "LBArticleEditURL", CommonSample::ArticleEditURL), 3, 0);
  btnArticleEditURLColor_ = TextColorButton(font, "BTNArticleEditURLColor", QStringLiteral("URL色"),
                                            CommonSample::ArticleEditURL);
  grid->addWidget(btnArticleEditURLColor_, 3, 1, Qt::AlignLeft);
  grid->addWidget(
      Check(font, "CBArticleEditFontFixPitch", QStringLiteral("等幅フォントのみ対象とする"),
            &logic_.ArticleEditFontFixPitch),
      4, 0, 1, 2);
  grid->addWidget(Check(font, "CBArticleEditColor", QStringLiteral("特殊指定色を使用する"),
                        &logic_.ArticleEditColor),
                  5, 0, 1, 2);
  grid->addWidget(Check(font, "CBArticleEditURL", QStringLiteral("URL表示を使用する"),
                        &logic_.ArticleEditURLUse),
                  6, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  layout->addWidget(font, 1, 0);

  auto* big = new QGroupBox(QStringLiteral("倍角文字表示設定"), page);
  auto* bigLayout = new QGridLayout(big);
  opBigFontRatio_ = new QRadioButton(QStringLiteral("倍率指定"), big);
  opBigFontRatio_->setObjectName(QStringLiteral("OPArticleEditBigFontRatio"));
  opBigFontSet_ = new QRadioButton(QStringLiteral("フォント指定"), big);
  opBigFontSet_->setObjectName(QStringLiteral("OPArticleEditBigFontSet"));
  auto* bigGroup = new QButtonGroup(big);
  bigGroup->addButton(opBigFontRatio_);
  bigGroup->addButton(opBigFontSet_);
  edBigFontSize_ = Edit(big, "EDArticleEditBigFontSize", &logic_.BigFontRatio);
  edBigFontSize_->setMaximumWidth(90);
  btnBigFont_ = Button(big, "BTNArticleEditFontBig", QStringLiteral("フォント"));
  bigLayout->addWidget(opBigFontRatio_, 0, 0);
  bigLayout->addWidget(edBigFontSize_, 0, 1, Qt::AlignLeft);
  bigLayout->addWidget(opBigFontSet_, 1, 0);
  bigLayout->addWidget(btnBigFont_, 1, 1, Qt::AlignLeft);
  bigLayout->addWidget(SampleLabel(big, "LBArticleEditFontBig", CommonSample::ArticleEditBig), 2, 0,
                       1, 2);
  bigLayout->setRowStretch(3, 1);
  layout->addWidget(big, 1, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(0, 3);
  layout->setColumnStretch(1, 2);

  auto useRatio = [this] {
    if (showing_) return;
    logic_.UseBigFontRatio();
    ShowSamples();
    ShowEnabledStates();
  };
  connect(opBigFontRatio_, &QRadioButton::clicked, this, useRatio);
  connect(edBigFontSize_, &QLineEdit::editingFinished, this, [this, useRatio] {
    if (!logic_.BigFontSet) useRatio();
  });
  connect(opBigFontSet_, &QRadioButton::clicked, this, [this] {
    logic_.UseBigFontSet();
    ShowEnabledStates();
  });
  connect(btnBigFont_, &QPushButton::clicked, this, [this] {
    const std::optional<FontChoice> font =
        pickers_->ChooseFont(logic_.Sample(CommonSample::ArticleEditBig), false);
    if (!font) return;
    logic_.ChooseFont(CommonSample::ArticleEditBig, *font);
    ShowSamples();
  });
  return page;
}

QWidget* TCommonSetForm::BuildInternetPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabInternet"));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(Check(page, "CBInetURLClick",
                          QStringLiteral("クリッカブルマップ処理を使用する"), &logic_.URLClick));
  auto program = [this, page, layout](const char* check, const QString& caption, bool* flag,
                                      const char* edit, std::string* field, const char* button,
                                      const QString& title, QLineEdit** editOut,
                                      QPushButton** buttonOut) {
    auto* group = new QGroupBox(page);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(Check(group, check, caption, flag));
    auto* row = new QHBoxLayout();
    *editOut = Edit(group, edit, field);
    *buttonOut = BrowseButton(group, button, *editOut, title, true);
    row->addWidget(*editOut, 1);
    row->addWidget(*buttonOut);
    groupLayout->addLayout(row);
    layout->addWidget(group);
  };
  program("CBInetMailer", QStringLiteral("使用するメーラーを直接指定する"), &logic_.MailerSet,
          "EDInetMailer", &logic_.Mailer, "BTNInetMailer",
          QStringLiteral("メーラー実行ファイル指定"), &edMailer_, &btnMailer_);
  program("CBInetWWW", QStringLiteral("使用するWebブラウザを直接指定する"), &logic_.WWWSet,
          "EDInetWWW", &logic_.WWW, "BTNInetWWW", QStringLiteral("WWWブラウザ実行ファイル指定"),
          &edWWW_, &btnWWW_);
  layout->addStretch(1);
  return page;
}

QWidget* TCommonSetForm::BuildKeyPage() {
  auto* page = new QWidget(pages_);
  page->setObjectName(QStringLiteral("TabKey"));
  auto* layout = new QVBoxLayout(page);
  auto* read = new QGroupBox(QStringLiteral("記事リード処理"), page);
  auto* readLayout = new QVBoxLayout(read);
  const char* names[3] = {"OPKeyGoNext", "OPKeyGoScroll1", "OPKeyGoScroll2"};
  const QString captions[3] = {QStringLiteral("無条件で次の記事に飛ぶ"),
                               QStringLiteral("全行を表示していない場合、PageDownする（未読のみ）"),
                               QStringLiteral("全行を表示していない場合、PageDownする")};
  auto* readGroup = new QButtonGroup(read);
  for (int i = 0; i < 3; ++i) {
    opKeyGo_[i] = new QRadioButton(captions[i], read);
    opKeyGo_[i]->setObjectName(QString::fromLatin1(names[i]));
    readGroup->addButton(opKeyGo_[i], i);
    readLayout->addWidget(opKeyGo_[i]);
  }
  connect(readGroup, &QButtonGroup::idClicked, this, [this](int id) { logic_.NoRead = id; });
  auto* scrollRow = new QHBoxLayout();
  scrollRow->addWidget(new QLabel(QStringLiteral("PageDown時のスクロール幅"), read));
  cbKeyScroll_ = new QComboBox(read);
  cbKeyScroll_->setObjectName(QStringLiteral("CBKeyScroll"));
  for (const std::string& item : TCommonSetLogic::ScrollItems())
    cbKeyScroll_->addItem(CaptionOf(item));
  connect(cbKeyScroll_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_) logic_.KeyScroll = index;
  });
  scrollRow->addWidget(cbKeyScroll_);
  scrollRow->addStretch(1);
  readLayout->addLayout(scrollRow);
  readLayout->addWidget(Check(read, "CBKeyNoReadDialog",
                              QStringLiteral("未読サーチで未読無しをダイアログで通知する"),
                              &logic_.NoReadDialog));
  // The kill file of news readers: what the user ignores is never waited for.
  readLayout->addWidget(
      Check(read, "CBKeyIgnoredAsRead",
            QStringLiteral("無視した発言者・スレッドの記事を既読にする（未読サーチで飛ばす）"),
            &logic_.IgnoredAsRead));
  layout->addWidget(read);

  auto* write = new QGroupBox(QStringLiteral("記事書込処理"), page);
  auto* writeLayout = new QVBoxLayout(write);
  writeLayout->addWidget(Check(write, "CBKEYRootWriteJump",
                               QStringLiteral("書込完了時に書込記事に自動的に移動する"),
                               &logic_.RootWriteJump));
  layout->addWidget(write);
  auto* search = new QGroupBox(QStringLiteral("検索処理"), page);
  auto* searchLayout = new QVBoxLayout(search);
  searchLayout->addWidget(Check(search, "CBKeyNoSearchDialog",
                                QStringLiteral("検索未ヒット時にダイアログで通知する"),
                                &logic_.NoSearchDialog));
  layout->addWidget(search);
  layout->addWidget(
      Check(page, "CBEndCheck", QStringLiteral("必ず終了時に確認を行う"), &logic_.EndCheck));
  layout->addWidget(
      Check(page, "CBKeyLogOpenOnly",
            QStringLiteral("ログオープン時に設定BBSが１ヶのみの時、BBS選択を行わない"),
            &logic_.LogOpenOnly));
  layout->addStretch(1);
  return page;
}

bool TCommonSetForm::Prepare(CommonSettings* settings, const TBBSList& bbsList) {
  settings_ = settings;
  bbsList_ = &bbsList;
  if (!settings_) return false;
  logic_.Show(*settings_, bbsList);
  pages_->setCurrentIndex(0);
  ShowFields();
  return true;
}

bool TCommonSetForm::Execute(CommonSettings* settings, const TBBSList& bbsList,
                             const QRect& parentRect) {
  if (!Prepare(settings, bbsList)) return false;
  placer_.PlaceOnce(this, parentRect);
  return exec() == QDialog::Accepted;
}

void TCommonSetForm::ShowFields() {
  showing_ = true;
  for (const auto& [edit, field] : edits_)
    edit->setText(QtText(*field));
  for (const auto& [check, field] : checks_)
    check->setChecked(*field);
  clNoPrefixBBS_->clear();
  for (const std::string& name : logic_.NoPrefixBBSNames)
    clNoPrefixBBS_->addItem(QtText(name));
  clNoPrefixBBS_->setCurrentIndex(logic_.NoPrefixBBS);
  cbNoPrefix_->setChecked(logic_.NoPrefix);
  cbBoardListDropCount_->setCurrentIndex(logic_.DropCount);
  cbArticleGridTreeType_->setCurrentIndex(logic_.ArticleGridTreeType);
  (logic_.BigFontSet ? opBigFontSet_ : opBigFontRatio_)->setChecked(true);
  opKeyGo_[logic_.NoRead]->setChecked(true);
  cbKeyScroll_->setCurrentIndex(logic_.KeyScroll);
  lbCacheSize_->setText(QtText(TCommonSetLogic::AnalysisCacheSizeText()));
  showing_ = false;
  ShowSamples();
  ShowEnabledStates();
}

void TCommonSetForm::ShowSamples() {
  for (const auto& [label, which] : samples_) {
    const FontSample& s = logic_.Sample(which);
    QFont font = QtFont(s.FontName, s.FontSize, s.FontStyle);
    if (which == CommonSample::ArticleEditURL) font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QtColor(s.FontColor));
    palette.setColor(QPalette::Window, QtColor(s.BGColor));
    label->setPalette(palette);
  }
}

void TCommonSetForm::ShowEnabledStates() {
  clNoPrefixBBS_->setEnabled(logic_.NoPrefixBBSEnabled());
  edJumpRessTitleSrc_->setEnabled(logic_.JumpRessTitleSrcEnabled());
  for (QPushButton* b : btnArticleGridColors_)
    b->setEnabled(logic_.ArticleGridColorButtonsEnabled());
  btnArticleEditBouteColor_->setEnabled(logic_.ArticleEditColorButtonsEnabled());
  btnArticleEditEOFColor_->setEnabled(logic_.ArticleEditColorButtonsEnabled());
  btnArticleEditURLColor_->setEnabled(logic_.ArticleEditURLColorEnabled());
  edBigFontSize_->setEnabled(logic_.BigFontRatioEnabled());
  btnBigFont_->setEnabled(logic_.BigFontButtonEnabled());
  edMailer_->setEnabled(logic_.MailerSet);
  btnMailer_->setEnabled(logic_.MailerSet);
  edWWW_->setEnabled(logic_.WWWSet);
  btnWWW_->setEnabled(logic_.WWWSet);
}

void TCommonSetForm::BTNOKClick() {
  if (settings_ && bbsList_) logic_.Store(*settings_, *bbsList_);
  accept();
}

void TCommonSetForm::BTNCancelClick() {
  reject();
}

}  // namespace vorn
