#include "qtsupport/QtSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include "platform/Cp932.h"
#include "qtsupport/DialogPlacement.h"

namespace vorn {

QString QtText(const std::string& cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

std::string CoreText(const QString& text) {
  return Utf8ToCp932(text.toStdString());
}

QString QtPath(const std::string& cp932Path) {
  const std::string native = NativePath(cp932Path);
  QString path;
  path.reserve(qsizetype(native.size()));
  const std::string_view bytes(native);
  for (size_t i = 0; i < bytes.size();) {
    const size_t len = Utf8SequenceLength(bytes.substr(i));
    if (len == 0) {
      path += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[i])));
      ++i;
    } else {
      path += QString::fromUtf8(bytes.data() + i, qsizetype(len));
      i += len;
    }
  }
  return path;
}

std::string CorePath(const QString& path) {
  std::string native;
  for (qsizetype i = 0; i < path.size(); ++i) {
    const char16_t unit = path[i].unicode();
    const bool pair = QChar::isHighSurrogate(unit) && i + 1 < path.size() &&
                      QChar::isLowSurrogate(path[i + 1].unicode());
    if (!pair && unit >= 0xDC80 && unit <= 0xDCFF) {
      native += static_cast<char>(unit - 0xDC00);
      continue;
    }
    const QByteArray utf8 = path.mid(i, pair ? 2 : 1).toUtf8();
    native.append(utf8.constData(), size_t(utf8.size()));
    if (pair) ++i;
  }
  return FromNativePath(native);
}

std::string CorePathOfUrl(const QUrl& url) {
  // The encoded form keeps every byte of the name; toLocalFile() would decode it as UTF-8.
  const QByteArray native =
      QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  return FromNativePath(std::string(native.constData(), size_t(native.size())));
}

QString QtMessageText(const std::string& cp932) {
  QString text = QtText(cp932);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QString QtFileFilter(const FileFilter& filter) {
  QStringList parts;
  for (const auto& [description, mask] : filter) {
    QString shown = QtText(description);
    const QString qtMask = mask == "*.*" ? QStringLiteral("*") : QtText(mask);
    // The classic descriptions carry the mask in parentheses already; Qt takes the masks from
    // the last parentheses, so they are given once, in Qt's form.
    const qsizetype open = shown.lastIndexOf(QLatin1Char('('));
    if (open > 0 && shown.endsWith(QLatin1Char(')'))) shown.truncate(open);
    parts << QStringLiteral("%1 (%2)").arg(shown.trimmed(), qtMask);
  }
  return parts.join(QStringLiteral(";;"));
}

void TDialogPlacer::PlaceOnce(QWidget* dialog, const QRect& parentRect) {
  if (placed_ || !dialog) return;
  placed_ = true;
  // Placed here at once, and again by the dialog placement when the dialog appears with its
  // final size and frame.
  dialog->setProperty(DialogParentRectProperty, parentRect);
  // A dialog that was given its size keeps it; the others take the size their layout wants.
  if (!dialog->testAttribute(Qt::WA_Resized)) dialog->adjustSize();
  const QWidget* anchor = DialogAnchorWindow(dialog);
  const QScreen* screen = anchor && anchor->screen() ? anchor->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QSize own = dialog->frameGeometry().size().expandedTo(dialog->size());
  dialog->move(CentredDialogPoint(parentRect, own, area));
}

}  // namespace vorn
