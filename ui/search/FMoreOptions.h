#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ui/search/USearchDates.h"
#include "ui/search/USearchRequest.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vellomar {

class IniFile;

// "More Options For Search": exclusion and folder masks, date and size limits, the three sort
// keys of the found-files window and the code pages of description texts. One instance for the
// run; its controls and histories are its state.
class TFormMoreOptions : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 230;

  explicit TFormMoreOptions(QWidget* parent = nullptr);

  TMoreOptionsControls controls() const;
  void setControls(const TMoreOptionsControls& values);
  // What the last OK computed.
  const TMoreOptionsLimits& limits() const { return limits_; }
  SearchDate dateFrom() const { return dateFrom_; }
  SearchDate dateTo() const { return dateTo_; }

  void SaveToIni(IniFile& ini) const;
  void LoadFromIni(const IniFile& ini);

  // Widgets the tests drive.
  QComboBox* ComboBoxExclude = nullptr;
  QCheckBox* CheckBoxDateFrom = nullptr;
  QLineEdit* EditDateFrom = nullptr;
  QCheckBox* CheckBoxDateTo = nullptr;
  QLineEdit* EditDateTo = nullptr;
  QCheckBox* CheckBoxSizeFrom = nullptr;
  QSpinBox* SpinEditSizeFrom = nullptr;
  QCheckBox* CheckBoxSizeTo = nullptr;
  QSpinBox* SpinEditSizeTo = nullptr;
  QComboBox* ComboBoxDirMask = nullptr;
  QButtonGroup* RadioGroupKey1 = nullptr;
  QButtonGroup* RadioGroupKey2 = nullptr;
  QButtonGroup* RadioGroupKey3 = nullptr;
  QCheckBox* CheckBoxSearchAsAnsi = nullptr;
  QCheckBox* CheckBoxSearchAsOem = nullptr;
  QPushButton* ButtonOK = nullptr;
  // The spin buttons of "From:" and "To:", each a pair of arrows: day, month, year.
  QWidget* SpinButtons[2][3] = {};

 public slots:
  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* makeDateRow(int which, QCheckBox*& box, QLineEdit*& edit);
  QWidget* makeSizeRow(QCheckBox*& box, QSpinBox*& spin, const char* caption);
  // The date of an edit as last parsed; text that does not parse gives the date back.
  SearchDate& dateOf(int which) { return which == 0 ? dateFrom_ : dateTo_; }
  QLineEdit* editOf(int which) const { return which == 0 ? EditDateFrom : EditDateTo; }
  QCheckBox* boxOf(int which) const { return which == 0 ? CheckBoxDateFrom : CheckBoxDateTo; }
  void takeDate(int which);
  void stepDate(int which, DateStep step);
  void sizeChanged(bool from);
  void codePageClicked();

  SearchDate dateFrom_;
  SearchDate dateTo_;
  TMoreOptionsLimits limits_;
  TMoreOptionsControls snapshot_;
};

}  // namespace vellomar
