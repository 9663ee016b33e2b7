#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vellomar {

// Asks for a new disk name; the caller sets the caption, the note above the field and the
// field's text, and reads the field after OK.
class TFormRenameDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 110;

  explicit TFormRenameDlg(QWidget* parent = nullptr);

  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* Edit1;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vellomar
