#include "ui/common/UFonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

#include "foundation/UShortString.h"

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

bool sameAsciiText(const std::string& a, const char* b) {
  const std::string_view bv(b);
  if (a.size() != bv.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(bv[i])) return false;
  }
  return true;
}

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
    if (sameAsciiText(name, s.name)) return s.code;
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

bool ChooseFontDialog(QWidget* parent, TLogFont& font, int32_t minSize, int32_t maxSize,
                      int32_t& size, bool scalableOnly) {
  QFontDialog dialog(parent);
  QFontDialog::FontDialogOptions options = QFontDialog::DontUseNativeDialog;
  if (scalableOnly) options |= QFontDialog::ScalableFonts;
  dialog.setOptions(options);
  QFont initial = fontOf(font);
  if (size > 0) initial.setPointSize(size);
  dialog.setCurrentFont(initial);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QFont chosen = dialog.selectedFont();
  const int32_t points =
      std::clamp<int32_t>(chosen.pointSize() > 0 ? chosen.pointSize() : size, minSize, maxSize);
  font.lfFaceName = std::string(utf8Prefix(chosen.family().toStdString(), TLogFont::kFaceNameMax));
  font.lfHeight = PointsToHeight(points);
  font.lfWeight =
      chosen.weight() >= QFont::Bold ? 700 : (chosen.weight() >= QFont::DemiBold ? 600 : 400);
  font.lfItalic = chosen.italic() ? 1 : 0;
  size = points;
  return true;
}

}  // namespace vellomar
