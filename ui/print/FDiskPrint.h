#pragma once

#include <QDialog>
#include <QPrinter>
#include <string>

#include "ui/common/UProgressWindow.h"
#include "ui/print/UCatalogPrint.h"
#include "ui/print/UPrinter.h"
#include "ui/settings/UGlobalOptions.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vellomar {

class CatalogueGateway;

// The scope of a catalogue print or export: the current folder, the current disk or the
// selected disks.
class TFormDiskPrintSelect : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDiskPrintSelect(QWidget* parent = nullptr);

  // "All the selected disks" is offered only when some disk is selected.
  void enableSelectedDisks(bool enabled);
  // kPrintScopeCurrentFolder, kPrintScopeWholeDisk or kPrintScopeSelectedDisks.
  int32_t scope() const;

  QLabel* LabelWhat;
  QRadioButton* RadioButtonActDiskDir;
  QRadioButton* RadioButtonActDiskWhole;
  QRadioButton* RadioButtonSelectedDisks;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;

 protected:
  void showEvent(QShowEvent* event) override;
};

// The catalogue print of a database window: asks for the scope and the printer, then shows the
// counts and the page being printed while the print runs.
class TFormDiskPrint : public TProgressWindow, private TCatalogPrintStatus {
  Q_OBJECT
 public:
  TFormDiskPrint(CatalogueGateway& catalogue, std::string dbaseName, QWidget* parent = nullptr);

  // The options of the run: the settings dialog's when there is one, taken on show.
  TGlobalOptions& options() { return options_; }

  QLabel* Label1;
  QLabel* LabelSearched;
  QLabel* LabelWhat;
  QProgressBar* Gauge;
  QPushButton* ButtonCancel;

 protected:
  // The scope and the printer.
  bool askFirst() override;
  int runJob() override;
  void reportFailure(const std::exception& failure) override;
  void showEvent(QShowEvent* event) override;

 private:
  void showWhat(const std::string& text) override;
  void showProgress(int32_t disks, int32_t files, int32_t percent) override;
  bool abortRequested() override;

  CatalogueGateway& catalogue_;
  std::string dbaseName_;
  TGlobalOptions options_;
  int32_t scope_ = 0;
  QPrinter printer_;
  TPrintChoice choice_;
};

}  // namespace vellomar
