#include "ui/print/FAbortPrint.h"

#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/common/UCloseRequest.h"

namespace vellomar {

TFormAbortPrint::TFormAbortPrint(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Printing");
  auto* layout = new QVBoxLayout(this);
  LabelProgress = new QLabel(this);
  ButtonAbort = new QPushButton("Cancel", this);
  layout->addWidget(LabelProgress);
  layout->addWidget(ButtonAbort, 0, Qt::AlignHCenter);
  setMinimumWidth(240);
  connect(ButtonAbort, &QPushButton::clicked, this, &TFormAbortPrint::ButtonAbortClick);
}

void TFormAbortPrint::showEvent(QShowEvent* event) {
  abort_ = false;
  QDialog::showEvent(event);
}

void TFormAbortPrint::showWhat(const std::string& text) {
  LabelProgress->setText(QString::fromStdString(text));
  CloseRequest::processEvents();
}

bool TFormAbortPrint::abortRequested() {
  CloseRequest::processEvents();
  return abort_ || CloseRequest::pending();
}

TPrintResult RunListPrint(
    QWidget* mainWindow, bool withSelection,
    const std::function<TPrintResult(QPrinter&, const TPrintChoice&, TPrintStatus&)>& print) {
  QPrinter printer;
  TPrintChoice choice;
  if (!printTarget().choose(mainWindow, printer, choice, withSelection)) {
    return TPrintResult::kCancelled;
  }
  // A window of its own: a child of the disabled main window would be disabled with it.
  TFormAbortPrint abortWindow;
  abortWindow.LabelProgress->setText("Preparing to print...");
  // The main window stays disabled for the whole run, also when the print raises. The abort
  // window takes the activation and disabling takes the focus from the panel: both go back.
  struct Disabled {
    QWidget* window;
    QPointer<QWidget> focus;
    ~Disabled() {
      if (window == nullptr) return;
      window->setEnabled(true);
      window->activateWindow();
      if (focus) focus->setFocus();
    }
  } disabled{mainWindow, mainWindow != nullptr ? mainWindow->focusWidget() : nullptr};
  if (mainWindow != nullptr) mainWindow->setEnabled(false);
  abortWindow.show();
  CloseRequest::processEvents();
  const TPrintResult result = print(printer, choice, abortWindow);
  abortWindow.hide();
  ShowPrintFailure(result);
  return result;
}

}  // namespace vellomar
