#include "ui/common/UFittedText.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

namespace vellomar {
namespace {

const QString kEllipsis = QStringLiteral("\u2026");

TEST(FittedText, ATextTooWideKeepsItsEnd) {
  const QFontMetrics m(QApplication::font());
  const QString path = QStringLiteral("\\2001\\summer\\lake");
  const QString emoji = QStringLiteral("folder\\x\U0001F600\U0001F600\U0001F600");
  const struct {
    QString text;
    int width;
    QString shown;
  } cases[] = {
      {path, m.horizontalAdvance(path), path},
      {path, m.horizontalAdvance(kEllipsis + "\\summer\\lake"), kEllipsis + "\\summer\\lake"},
      {path, m.horizontalAdvance(kEllipsis + "\\summer\\lake") - 1, kEllipsis + "\\lake"},
      {QStringLiteral("/home/me/photos"), m.horizontalAdvance(kEllipsis + "/photos"),
       kEllipsis + "/photos"},
      // Not even the last name fits: the end of it, whole characters only.
      {path, m.horizontalAdvance(kEllipsis + "ake"), kEllipsis + "ake"},
      {emoji, m.horizontalAdvance(kEllipsis + "\U0001F600") + 1, kEllipsis + "\U0001F600"},
      {path, 0, kEllipsis},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(textTailToWidth(c.text, m, c.width), c.shown)
        << c.text.toStdString() << " in " << c.width;
  }
}

TEST(FittedText, ALabelWrapsWhatFitsItsLinesAndCutsWhatDoesNot) {
  QWidget window;
  TFittedLabel label(&window, 2);
  label.resize(200, label.height());
  const QString words = QStringLiteral("Scanning contents of the folder");
  label.setFullText(words);
  EXPECT_EQ(label.text(), words);
  const QString path = "/home/" + QString(80, 'x') + "/photos";
  label.setFullText(path);
  EXPECT_EQ(label.fullText(), path);
  EXPECT_EQ(label.text(), kEllipsis + "/photos");
  EXPECT_EQ(label.sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
}

}  // namespace
}  // namespace vellomar
