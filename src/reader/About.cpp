#include "reader/About.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "reader/ToolIcons.h"

namespace vorn {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout();
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setPixmap(ProgramIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  auto* text = new QVBoxLayout();
  auto* name = new QLabel(QStringLiteral("Vorn Explorer"), this);
  name->setObjectName(QStringLiteral("ProductName"));
  QFont big = name->font();
  big.setPointSize(big.pointSize() + 5);
  big.setBold(true);
  name->setFont(big);
  auto* version = new QLabel(VersionText(), this);
  version->setObjectName(QStringLiteral("Version"));
  auto* comments =
      new QLabel(QStringLiteral("BBSログのオフライン閲覧と書込み作成のためのツールです。\n"
                                "ログファイルをボード・記事・ツリーに解析して表示し、\n"
                                "書込みはUP/PADファイルとして出力します。"),
                 this);
  comments->setObjectName(QStringLiteral("Comments"));
  text->addWidget(name);
  text->addWidget(version);
  text->addSpacing(8);
  text->addWidget(comments);
  top->addLayout(text, 1);
  layout->addLayout(top);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

void TAboutBox::Execute(const QRect& parentRect) {
  placer_.PlaceOnce(this, parentRect);
  exec();
}

}  // namespace vorn
