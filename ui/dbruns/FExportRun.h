#pragma once

#include <QString>
#include <exception>
#include <string>

#include "export/UExport.h"
#include "ui/common/UProgressWindow.h"

class QLabel;
class QPushButton;

namespace vellomar {

class CatalogueGateway;

// What the two export windows share: the status line, Cancel, the template and output file
// dialogs (both starting in the folder "Export" beside the program, then where the user went
// last), loading the template, the run's export state and the progress text.
class TFormExportRun : public TProgressWindow {
  Q_OBJECT
 public:
  explicit TFormExportRun(QWidget* parent);

  QLabel* LabelWhatDoing;
  QPushButton* ButtonCancel;

  // "Processed ... files, written ..." from the export state's counters.
  void showProgress();

  // The template, variables and output of the run.
  TDBaseExport& exportState() { return export_; }

 protected:
  void showEvent(QShowEvent* event) override;
  // An engine failure in its box ("Error", "Critical error"); any other in an "Error" box with
  // the exclamation icon.
  void reportFailure(const std::exception& failure) override;

  // Asks for a template with this filter, loads it into the export state for the catalogue (a
  // list's export may have none) and asks for the output file; the output's name, empty when
  // the user cancelled or the template is not one.
  std::string chooseTemplateAndOutput(const std::string& filter, const CatalogueGateway* catalogue);

 private:
  TDBaseExport export_;
};

// An export state's output file, open while a run writes it and closed on every path; a
// failure of the last write is reported by close().
class ExportOutputFile {
 public:
  ExportOutputFile(TDBaseExport& e, const std::string& name);
  ~ExportOutputFile();
  ExportOutputFile(const ExportOutputFile&) = delete;
  ExportOutputFile& operator=(const ExportOutputFile&) = delete;

  void close();

 private:
  TDBaseExport& e_;
  bool open_ = true;
};

}  // namespace vellomar
