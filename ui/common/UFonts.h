#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QComboBox;
class QFont;
class QFontComboBox;
class QLabel;
class QWidget;

namespace vellomar {

// A font as the settings keep it: the members of a Windows LOGFONT that the program sets; the
// point size is kept beside it by its owner.
struct TLogFont {
  static constexpr int kFaceNameMax = 31;  // LF_FACESIZE less its terminating zero

  int32_t lfHeight = 0;  // negative: character height in pixels
  int32_t lfWeight = 0;  // 400 normal, 700 bold
  uint8_t lfItalic = 0;
  uint8_t lfCharSet = 0;
  std::string lfFaceName;

  friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

// The script (character set) names of the INI file: "Ansi", "Default", ..., "OEM"; any code
// not in the table gives an empty name.
std::string CharsetToName(uint8_t code);
// Compared ignoring case; an unknown or empty name gives 1 (the default character set).
uint8_t NameToCharset(const std::string& name);

// Minus points at the screen's logical DPI over 72, rounded as Windows' MulDiv does.
int32_t PointsToHeight(int32_t points);
// The same at a given DPI.
int32_t PointsToHeightAt(int32_t points, int32_t pixelsPerInch);

// Fills a font from its INI description; the face name is cut to 31 bytes at a character boundary.
void MakeLogFont(TLogFont& font, const std::string& faceName, int32_t points,
                 const std::string& scriptName, bool italic, bool bold);

// The window font of a TLogFont: its face (a face this system lacks falls back to the desktop's
// sans font through QFont matching), its pixel height, bold only at weight exactly 700, italic.
QFont fontOf(const TLogFont& font);
// Sets target to fontOf(font).
void ApplyLogFont(QFont& target, const TLogFont& font);

// The font dialog: face, style and point size, offering only the sizes minSize..maxSize (those
// of a bitmap face, every one of a scalable face).
class TFontDialog : public QDialog {
  Q_OBJECT
 public:
  TFontDialog(QWidget* parent, int32_t minSize, int32_t maxSize, bool scalableOnly);

  void setCurrentFont(const QFont& font);
  QFont selectedFont() const;
  int32_t selectedSize() const;

  QFontComboBox* FaceBox;
  QComboBox* StyleBox;
  QComboBox* SizeBox;
  QLabel* Sample;

 private:
  void fillStyles();
  // The style nearest to italic and weight (QFont's scale).
  int styleIndexFor(bool italic, int weight) const;
  void fillSizes();
  void showSample();

  int32_t minSize_;
  int32_t maxSize_;
};

// The font dialog over font, sizes limited to minSize..maxSize; true when confirmed, font and
// size then changed. scalableOnly leaves out bitmap fonts.
bool ChooseFontDialog(QWidget* parent, TLogFont& font, int32_t minSize, int32_t maxSize,
                      int32_t& size, bool scalableOnly);

}  // namespace vellomar
