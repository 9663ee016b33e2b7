#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellomar {

// "Disk Name": the name under which a scanned disk is saved, with the template's generated
// name offered beside it.
class TFormAskForLabel : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 110;

  explicit TFormAskForLabel(QWidget* parent = nullptr);

  // Set by the caller; empty: no generated name is offered.
  std::string GeneratedName;
  // Set when the user took the generated name; the caller then raises the counter.
  bool UsedGenerated = false;

  QLineEdit* EditDiskName = nullptr;
  QLabel* LabelGenerated = nullptr;
  QPushButton* ButtonUseGenerated = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ButtonUseGeneratedClick();
};

}  // namespace vellomar
