#pragma once

#include <QDialog>
#include <functional>

#include "ui/print/UListPrint.h"
#include "ui/print/UPrinter.h"

class QLabel;
class QPushButton;

namespace vellomar {

// The small "Printing" window of the list prints: the page being printed and a Cancel button
// the print polls between lines.
class TFormAbortPrint : public QDialog, public TPrintStatus {
  Q_OBJECT
 public:
  explicit TFormAbortPrint(QWidget* parent = nullptr);

  void showWhat(const std::string& text) override;
  bool abortRequested() override;

  QLabel* LabelProgress;
  QPushButton* ButtonAbort;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ButtonAbortClick() { abort_ = true; }

  bool abort_ = false;
};

// A list print as the user starts it: the print dialog (withSelection offers the range
// "selection"); then, with mainWindow disabled and the abort window up, print. A refused printer
// is reported in an "Error" box; exceptions pass on after the main window is enabled again.
TPrintResult RunListPrint(
    QWidget* mainWindow, bool withSelection,
    const std::function<TPrintResult(QPrinter&, const TPrintChoice&, TPrintStatus&)>& print);

}  // namespace vellomar
