#pragma once

#include <QDialog>

#include "engine/api/USearchDlgData.h"
#include "ui/search/USearchRequest.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace vellomar {

class IniFile;
class TFormMoreOptions;

// The "Search" dialog: the text to find and where to look for it, with "More options..."
// behind it. One instance for the run; DlgData holds the last request, which the search
// commands hand to the engine.
class TFormSearchFileDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 230;

  // more: the more-options dialog this one shows and reads.
  explicit TFormSearchFileDlg(TFormMoreOptions& more, QWidget* parent = nullptr);

  TSearchDlgData DlgData;

  TSearchDlgControls controls() const;
  void setControls(const TSearchDlgControls& values);
  // The request of the controls, with the more-options part when "Use more options" is ticked.
  void ControlsToDlgData(TSearchDlgData& data) const;
  // The controls of the request; the more-options dialog is left alone.
  void DlgDataToControls(const TSearchDlgData& data);

  void SaveToIni(IniFile& ini) const;
  void LoadFromIni(const IniFile& ini);

  // Widgets the tests drive.
  QComboBox* ComboBoxMask = nullptr;
  QButtonGroup* RadioGroupSearch = nullptr;
  QCheckBox* CheckBoxDiskNames = nullptr;
  QCheckBox* CheckBoxFileNames = nullptr;
  QCheckBox* CheckBoxFolderNames = nullptr;
  QCheckBox* CheckBoxDescriptions = nullptr;
  QCheckBox* CheckBoxAddWildcards = nullptr;
  QCheckBox* CheckBoxPhrase = nullptr;
  QCheckBox* CheckBoxCaseSensitive = nullptr;
  QCheckBox* CheckBoxStrictMask = nullptr;
  QComboBox* ComboBoxScanDirLevel = nullptr;
  QSpinBox* SpinEditMaxRecs = nullptr;
  QCheckBox* CheckBoxUseMoreOptions = nullptr;
  QPushButton* ButtonOptions = nullptr;
  QPushButton* ButtonOK = nullptr;

 public slots:
  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void updateEnabling();
  void showMoreOptions();

  TFormMoreOptions& more_;
};

}  // namespace vellomar
