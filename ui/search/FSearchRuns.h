#pragma once

#include <exception>

#include "engine/api/USearchDlgData.h"
#include "ui/common/UCatalogueGateway.h"
#include "ui/common/UProgressWindow.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vellomar {

class TPieGauge;

// What the two search runs share: the catalogue to search, the Stop button, and the
// outcome. Shown with exec(), a run answers Accepted when the engine's found list holds at
// least one item, Rejected when it is empty, stopped before anything was found, or failed.
class TSearchRunWindow : public TProgressWindow {
  Q_OBJECT
 public:
  explicit TSearchRunWindow(QWidget* parent = nullptr);

  CatalogueGateway* Catalogue = nullptr;
  QPushButton* ButtonStop = nullptr;

  // What ended the last run with an engine failure, for the database window's error
  // convention; null when it did not fail.
  std::exception_ptr failure() const { return failure_; }

 protected:
  // The catalogue's search run; true when anything was found.
  virtual bool search() = 0;
  // "No file found." or "No disk found.".
  virtual const char* nothingFoundText() const = 0;

  int runJob() override;
  TSearchCountsView progressCounts() const override {
    return Catalogue != nullptr ? Catalogue->liveCounts() : TSearchCountsView{};
  }
  void reportFailure(const std::exception& failure) override;

 private:
  std::exception_ptr failure_;
};

// "Searching": a file search of Catalogue for Request, with the disks and files searched,
// the files found and the share of disks done.
class TFormSearchName : public TSearchRunWindow {
  Q_OBJECT
 public:
  explicit TFormSearchName(QWidget* parent = nullptr);

  TSearchDlgData Request;
  QLabel* LabelSearched = nullptr;
  QLabel* LabelFound = nullptr;
  QProgressBar* Gauge1 = nullptr;

 protected:
  bool search() override;
  const char* nothingFoundText() const override { return "No file found."; }

 private:
  void progress(const TSearchCounts& counts, bool& abort) override;
};

// "Searching...": the free space of every disk of Catalogue, with the share of disks done.
class TFormSearchEmpty : public TSearchRunWindow {
  Q_OBJECT
 public:
  explicit TFormSearchEmpty(QWidget* parent = nullptr);

  TPieGauge* Gauge1 = nullptr;

 protected:
  bool search() override;
  const char* nothingFoundText() const override { return "No disk found."; }

 private:
  void progress(const TSearchCounts& counts, bool& abort) override;
};

}  // namespace vellomar
