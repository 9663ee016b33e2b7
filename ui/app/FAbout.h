#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vellomar {

// The About box ("About Vellomar 5"): name, version and maker, and the way to the
// introductory help topic.
class TFormAbout : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 10;

  explicit TFormAbout(QWidget* parent = nullptr);

  QPushButton* ButtonOK = nullptr;
  QPushButton* ButtonMoreInfo = nullptr;
  QLabel* LabelAbout = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace vellomar
