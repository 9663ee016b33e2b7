#include "ui/common/UFonts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "foundation/UShortString.h"
#include "platform/PAsciiText.h"

namespace vellomar {

namespace {

struct Script {
  uint8_t code;
  const char* name;
};

constexpr Script kScripts[] = {{0, "Ansi"},     {1, "Default"},         {2, "Symbol"},
                               {77, "Mac"},     {128, "ShiftJis"},      {129, "Hangeul"},
                               {130, "Johab"},  {134, "GB2312"},        {136, "ChineseBig5"},
                               {161, "Greek"},  {162, "Turkish"},       {177, "Hebrew"},
                               {178, "Arabic"}, {186, "Baltic"},        {204, "Russian"},
                               {222, "Thai"},   {238, "CentralEurope"}, {255, "OEM"}};

int32_t screenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? static_cast<int32_t>(std::lround(screen->logicalDotsPerInchY())) : 96;
}

}  // namespace

std::string CharsetToName(uint8_t code) {
  for (const Script& s : kScripts)
    if (s.code == code) return s.name;
  return {};
}

uint8_t NameToCharset(const std::string& name) {
  for (const Script& s : kScripts)
    if (sameAsciiIgnoringCase(name, s.name)) return s.code;
  return 1;
}

int32_t PointsToHeightAt(int32_t points, int32_t pixelsPerInch) {
  // MulDiv rounds half away from zero.
  const int64_t product = int64_t{points} * pixelsPerInch;
  const int64_t rounded = product >= 0 ? (product + 36) / 72 : -((-product + 36) / 72);
  return static_cast<int32_t>(-rounded);
}

int32_t PointsToHeight(int32_t points) {
  return PointsToHeightAt(points, screenDpi());
}

void MakeLogFont(TLogFont& font, const std::string& faceName, int32_t points,
                 const std::string& scriptName, bool italic, bool bold) {
  font = TLogFont();
  font.lfFaceName = std::string(utf8Prefix(faceName, TLogFont::kFaceNameMax));
  font.lfHeight = PointsToHeight(points);
  font.lfWeight = bold ? 700 : 400;
  font.lfItalic = italic ? 1 : 0;
  font.lfCharSet = NameToCharset(scriptName);
}

QFont fontOf(const TLogFont& font) {
  QFont result(QString::fromStdString(font.lfFaceName));
  result.setStyleHint(QFont::SansSerif);
  if (font.lfHeight != 0) result.setPixelSize(std::abs(font.lfHeight));
  result.setBold(font.lfWeight == 700);
  result.setItalic(font.lfItalic == 1);
  return result;
}

void ApplyLogFont(QFont& target, const TLogFont& font) {
  target = fontOf(font);
}

TFontDialog::TFontDialog(QWidget* parent, int32_t minSize, int32_t maxSize, bool scalableOnly)
    : QDialog(parent), minSize_(minSize), maxSize_(maxSize) {
  setObjectName(QStringLiteral("FontDialog"));
  setWindowTitle(QStringLiteral("Font"));
  FaceBox = new QFontComboBox(this);
  FaceBox->setEditable(false);
  FaceBox->setFontFilters(scalableOnly ? QFontComboBox::ScalableFonts : QFontComboBox::AllFonts);
  StyleBox = new QComboBox(this);
  SizeBox = new QComboBox(this);
  Sample = new QLabel(QStringLiteral("AaBbYyZz"), this);
  Sample->setAlignment(Qt::AlignCenter);
  Sample->setFrameShape(QFrame::StyledPanel);
  Sample->setFixedHeight(60);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QGridLayout(this);
  const char* captions[] = {"&Font:", "Font st&yle:", "&Size:"};
  QWidget* boxes[] = {FaceBox, StyleBox, SizeBox};
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(QString::fromLatin1(captions[i]), this);
    label->setBuddy(boxes[i]);
    layout->addWidget(label, 0, i);
    layout->addWidget(boxes[i], 1, i);
  }
  layout->setColumnStretch(0, 1);
  layout->addWidget(Sample, 2, 0, 1, 3);
  layout->addWidget(buttons, 3, 0, 1, 3);
  connect(FaceBox, &QFontComboBox::currentFontChanged, this, [this] { fillStyles(); });
  connect(StyleBox, &QComboBox::currentIndexChanged, this, [this] { fillSizes(); });
  connect(SizeBox, &QComboBox::currentIndexChanged, this, [this] { showSample(); });
  fillStyles();
}

void TFontDialog::setCurrentFont(const QFont& font) {
  FaceBox->setCurrentFont(font);
  fillStyles();
  StyleBox->setCurrentIndex(styleIndexFor(font.italic(), font.weight()));
  const int size = SizeBox->findData(font.pointSize());
  if (size >= 0) SizeBox->setCurrentIndex(size);
}

QFont TFontDialog::selectedFont() const {
  return QFontDatabase::font(FaceBox->currentFont().family(), StyleBox->currentText(),
                             selectedSize());
}

int32_t TFontDialog::selectedSize() const {
  return SizeBox->currentData().toInt();
}

void TFontDialog::fillStyles() {
  const QString kept = StyleBox->currentText();
  const QSignalBlocker block(StyleBox);
  StyleBox->clear();
  StyleBox->addItems(QFontDatabase::styles(FaceBox->currentFont().family()));
  const int found = StyleBox->findText(kept);
  StyleBox->setCurrentIndex(found >= 0 ? found : styleIndexFor(false, QFont::Normal));
  fillSizes();
}

int TFontDialog::styleIndexFor(bool italic, int weight) const {
  const QString family = FaceBox->currentFont().family();
  // The style the font matcher itself takes (the plain face, not a condensed one), when listed.
  QFont probe(family);
  probe.setWeight(static_cast<QFont::Weight>(weight));
  probe.setItalic(italic);
  const int matched = StyleBox->findText(QFontInfo(probe).styleName());
  if (matched >= 0) return matched;
  int best = 0;
  int bestDistance = INT_MAX;
  for (int i = 0; i < StyleBox->count(); ++i) {
    // Through the font itself, so an oblique style counts as italic, as it will be taken.
    const QFont font = QFontDatabase::font(family, StyleBox->itemText(i), 12);
    const int distance = std::abs(font.weight() - weight) + (font.italic() != italic ? 10000 : 0);
    if (distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

void TFontDialog::fillSizes() {
  const int32_t kept = SizeBox->count() > 0 ? selectedSize() : minSize_;
  const QString family = FaceBox->currentFont().family();
  const QString style = StyleBox->currentText();
  QList<int> sizes;
  if (!QFontDatabase::isSmoothlyScalable(family, style)) {
    for (const int size : QFontDatabase::pointSizes(family, style))
      if (size >= minSize_ && size <= maxSize_) sizes.push_back(size);
  }
  if (sizes.isEmpty()) {
    for (int32_t size = minSize_; size <= maxSize_; ++size) sizes.push_back(size);
  }
  const QSignalBlocker block(SizeBox);
  SizeBox->clear();
  int nearest = 0;
  for (const int size : sizes) {
    if (std::abs(size - kept) < std::abs(sizes[nearest] - kept)) nearest = SizeBox->count();
    SizeBox->addItem(QString::number(size), size);
  }
  SizeBox->setCurrentIndex(nearest);
  showSample();
}

void TFontDialog::showSample() {
  Sample->setFont(selectedFont());
}

bool ChooseFontDialog(QWidget* parent, TLogFont& font, int32_t minSize, int32_t maxSize,
                      int32_t& size, bool scalableOnly) {
  TFontDialog dialog(parent, minSize, maxSize, scalableOnly);
  QFont initial = fontOf(font);
  if (size > 0) initial.setPointSize(size);
  dialog.setCurrentFont(initial);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QFont chosen = dialog.selectedFont();
  font.lfFaceName = std::string(utf8Prefix(chosen.family().toStdString(), TLogFont::kFaceNameMax));
  size = dialog.selectedSize();
  font.lfHeight = PointsToHeight(size);
  font.lfWeight =
      chosen.weight() >= QFont::Bold ? 700 : (chosen.weight() >= QFont::DemiBold ? 600 : 400);
  font.lfItalic = chosen.italic() ? 1 : 0;
  return true;
}

}  // namespace vellomar
