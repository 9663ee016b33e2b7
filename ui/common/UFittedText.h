#pragma once

#include <QLabel>
#include <QString>

class QFontMetrics;

namespace vellomar {

// A text too wide for its space keeps its end, where a path names its deepest folder: "…\"
// (or "…/") and as many of its last names as fit, or "…" and the end of the last name when
// even that one does not fit. A text that fits comes back as it is.
QString textTailToWidth(const QString& text, const QFontMetrics& metrics, int width);

// A label of a window with a fixed size: it never asks for more width than it has; a text
// that does not fit its lines there is shown cut to its end on one line (textTailToWidth).
class TFittedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TFittedLabel(QWidget* parent, int lines = 1);

  // The text to show; text() is what fits of it.
  void setFullText(const QString& text);
  const QString& fullText() const { return fullText_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void fit();

  QString fullText_;
  int lines_;
};

}  // namespace vellomar
