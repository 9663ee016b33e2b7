#include "ui/common/UFittedText.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace vellomar {
namespace {

const QString kEllipsis = QStringLiteral("\u2026");

bool isSeparator(QChar c) {
  return c == '\\' || c == '/';
}

}  // namespace

QString textTailToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  // The longest tail that begins at a separator. A tail is narrower than a longer one, so they
  // are tried from the shortest on, until one does not fit: a deep path costs a few short
  // measures, not one of each of its tails.
  qsizetype fitting = -1;
  for (qsizetype i = text.size() - 2; i >= 1; --i) {
    if (!isSeparator(text[i])) continue;
    if (metrics.horizontalAdvance(kEllipsis + text.mid(i)) > width) break;
    fitting = i;
  }
  if (fitting >= 0) return kEllipsis + text.mid(fitting);
  // Not even the last name fits: as much of its end as does, never half a character.
  qsizetype start = text.size();
  while (start > 0) {
    qsizetype next = start - 1;
    if (next > 0 && text[next].isLowSurrogate() && text[next - 1].isHighSurrogate()) --next;
    if (metrics.horizontalAdvance(kEllipsis + text.mid(next)) > width) break;
    start = next;
  }
  return kEllipsis + text.mid(start);
}

TFittedLabel::TFittedLabel(QWidget* parent, int lines) : QLabel(parent), lines_(lines) {
  setTextFormat(Qt::PlainText);
  setWordWrap(lines > 1);
  // The window decides the width; the label only fills it.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  setFixedHeight(lines * fontMetrics().lineSpacing());
}

void TFittedLabel::setFullText(const QString& text) {
  fullText_ = text;
  fit();
}

void TFittedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  fit();
}

void TFittedLabel::fit() {
  const QFontMetrics metrics = fontMetrics();
  const int width = contentsRect().width();
  const QRect wrapped = metrics.boundingRect(QRect(0, 0, width, lines_ * metrics.lineSpacing()),
                                             lines_ > 1 ? int(Qt::TextWordWrap) : 0, fullText_);
  const bool fits = wrapped.width() <= width && wrapped.height() <= lines_ * metrics.lineSpacing();
  setText(fits ? fullText_ : textTailToWidth(fullText_, metrics, width));
}

}  // namespace vellomar
