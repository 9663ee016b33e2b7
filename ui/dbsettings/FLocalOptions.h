#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "engine/api/ULocalOptions.h"
#include "ui/dbsettings/UDescFileTable.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

namespace vellomar {

// "Database Settings": the settings stored inside one database file. The dialog only moves
// values between a TLocalOptions record and its controls; the database window reads the
// record before showing it and stores it after OK. One instance for the whole run.
class TFormLocalOptions : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 300;

  explicit TFormLocalOptions(QWidget* parent = nullptr);

  void SetOptions(const TLocalOptions& options);
  // Writes the controls into the record; fields without a control keep their values.
  void GetOptions(TLocalOptions& options);
  // The filter modules the table may name, after "(no filter)".
  void SetFilterNames(const std::vector<std::string>& names);

  // Controls, named as the form has them.
  QTabWidget* Pages;
  QCheckBox* CheckBoxScanDesc;
  QTableWidget* StringGridMasks;
  QLineEdit* EditNewFileName;
  QSpinBox* SpinEditMaxDescrSize;
  QComboBox* ComboBoxConv;
  QPushButton* ButtonAdd;
  QPushButton* ButtonDiscard;
  std::vector<QRadioButton*> RadioGroupScanArchives;
  QCheckBox* CheckBoxScanZipExeArchives;
  QCheckBox* CheckBoxScanOtherExeArchives;
  QCheckBox* CheckBoxAlwaysRescanArchives;
  QCheckBox* CheckBoxExtractFromZips;
  QCheckBox* CheckBoxExtractFromRars;
  QCheckBox* CheckBoxExtractFromAces;
  QSpinBox* SpinEditSizeLimit;
  QCheckBox* CheckBoxOverwriteWarning;
  QCheckBox* CheckBoxShowDeleted;
  QCheckBox* CheckBoxSimulateDiskInfo;
  QCheckBox* CheckBoxDisableVolNameChange;
  QLineEdit* EditDiskNamePattern;
  QPushButton* ButtonResetCounter;
  QCheckBox* CheckBoxAlwaysCreateDesc;
  // Never shown; they carry their flags through the dialog.
  QCheckBox* CheckBoxGenerateFolderDesc;
  QCheckBox* CheckBoxImportFilesBbs;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;
  QPushButton* ButtonHelp;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* makeDescriptionsPage();
  QWidget* makeArchivesPage();
  QWidget* makeOptionsPage();
  int currentRow() const;
  void showTable();
  void readTable();
  void enableDescriptionControls();
  void enableArchiveControls();
  int archiveMode() const;
  void ButtonAddClick();
  void ButtonDiscardClick();
  void ButtonOKClick();
  void ButtonCancelClick();
  void rowDragged(int from, int to);

  DescFileTable table_;
  int16_t nameCounter_ = 1;
  TLocalOptions saved_{};
};

// The description filter modules beside the program: each "*.k32" file without its extension,
// in name order.
std::vector<std::string> FilterModuleNames();

}  // namespace vellomar
