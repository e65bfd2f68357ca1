#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QString>

namespace vorn::test {

// The text shown on the pages of a PDF file that Qt wrote: the content streams (inflated), the
// glyph numbers of their text operators (two-byte Identity-H strings, which is what Qt writes)
// mapped back to characters through each font's ToUnicode map. Whitespace is dropped. For
// checking what was printed without a PDF tool on the machine.
class PdfText {
 public:
  static QString Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return PdfText(file.readAll()).text_;
  }

 private:
  struct Object {
    QByteArray dict;
    QByteArray stream;
  };

  explicit PdfText(const QByteArray& pdf) {
    static const QRegularExpression objectStart(QStringLiteral("(\\d+) 0 obj"));
    auto it = objectStart.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
      const QRegularExpressionMatch m = it.next();
      const int id = m.captured(1).toInt();
      const qsizetype begin = m.capturedEnd();
      const qsizetype end = pdf.indexOf("endobj", begin);
      if (end < 0) break;
      objects_[id] = Parse(pdf.mid(begin, end - begin));
    }
    // Font resource names (/F5 7 0 R) and each font's map (its /ToUnicode object).
    static const QRegularExpression resource(QStringLiteral("/([A-Za-z]+\\d+)\\s+(\\d+) 0 R"));
    static const QRegularExpression toUnicode(QStringLiteral("/ToUnicode\\s+(\\d+) 0 R"));
    for (const Object& o : objects_) {
      auto names = resource.globalMatch(QString::fromLatin1(o.dict));
      while (names.hasNext()) {
        const QRegularExpressionMatch n = names.next();
        const Object& font = objects_.value(n.captured(2).toInt());
        const QRegularExpressionMatch map = toUnicode.match(QString::fromLatin1(font.dict));
        if (map.hasMatch()) maps_[n.captured(1)] = CMap(objects_.value(map.captured(1).toInt()));
      }
    }
    for (const Object& o : objects_) {
      if (o.stream.contains(" Tf") && (o.stream.contains("Tj") || o.stream.contains("TJ")))
        text_ += ShownText(o.stream);
    }
  }

  static Object Parse(const QByteArray& body) {
    Object o;
    const qsizetype s = body.indexOf("stream");
    if (s < 0) {
      o.dict = body;
      return o;
    }
    o.dict = body.left(s);
    qsizetype begin = s + 6;
    if (body.mid(begin, 2) == "\r\n") {
      begin += 2;
    } else if (body.at(begin) == '\n') {
      ++begin;
    }
    const qsizetype end = body.lastIndexOf("endstream");
    QByteArray data = body.mid(begin, end - begin);
    if (o.dict.contains("/FlateDecode")) {
      // qUncompress wants the inflated size in front; a guess that is too small is grown.
      QByteArray sized(4, '\0');
      const quint32 guess = quint32(data.size()) * 8 + 4096;
      for (int i = 0; i < 4; ++i)
        sized[i] = char((guess >> (24 - 8 * i)) & 0xFF);
      data = qUncompress(sized + data);
    }
    o.stream = data;
    return o;
  }

  static QMap<uint, QString> CMap(const Object& o) {
    QMap<uint, QString> map;
    const QString text = QString::fromLatin1(o.stream);
    static const QRegularExpression single(QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>"));
    static const QRegularExpression range(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>"));
    static const QRegularExpression rangeList(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*\\[([^\\]]*)\\]"));
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]+)>"));
    for (const QString& section : text.split(QStringLiteral("begin"))) {
      if (section.startsWith(QStringLiteral("bfchar"))) {
        auto it = single.globalMatch(section);
        while (it.hasNext()) {
          const auto m = it.next();
          map[m.captured(1).toUInt(nullptr, 16)] = Utf16(m.captured(2));
        }
      } else if (section.startsWith(QStringLiteral("bfrange"))) {
        for (const QString& line : section.split(QLatin1Char('\n'))) {
          if (const auto m = rangeList.match(line); m.hasMatch()) {
            uint code = m.captured(1).toUInt(nullptr, 16);
            auto items = hex.globalMatch(m.captured(3));
            while (items.hasNext())
              map[code++] = Utf16(items.next().captured(1));
          } else if (const auto r = range.match(line); r.hasMatch()) {
            const uint low = r.captured(1).toUInt(nullptr, 16);
            const uint high = r.captured(2).toUInt(nullptr, 16);
            const QString first = Utf16(r.captured(3));
            for (uint c = low; c <= high && !first.isEmpty(); ++c) {
              QString shown = first;
              shown[shown.size() - 1] = QChar(first.back().unicode() + (c - low));
              map[c] = shown;
            }
          }
        }
      }
    }
    return map;
  }

  static QString Utf16(const QString& hex) {
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
      text += QChar(ushort(hex.mid(i, 4).toUInt(nullptr, 16)));
    return text;
  }

  QString ShownText(const QByteArray& content) const {
    static const QRegularExpression token(
        QStringLiteral("/([A-Za-z]+\\d+)\\s+[-\\d.]+\\s+Tf|<([0-9A-Fa-f]*)>"));
    QString shown;
    QString font;
    auto it = token.globalMatch(QString::fromLatin1(content));
    while (it.hasNext()) {
      const QRegularExpressionMatch m = it.next();
      if (!m.captured(1).isEmpty()) {
        font = m.captured(1);
        continue;
      }
      const QMap<uint, QString> map = maps_.value(font);
      const QString glyphs = m.captured(2);
      for (qsizetype i = 0; i + 4 <= glyphs.size(); i += 4)
        shown += map.value(glyphs.mid(i, 4).toUInt(nullptr, 16));
    }
    shown.remove(QRegularExpression(QStringLiteral("\\s")));
    return shown;
  }

  QMap<int, Object> objects_;
  QMap<QString, QMap<uint, QString>> maps_;
  QString text_;
};

}  // namespace vorn::test
