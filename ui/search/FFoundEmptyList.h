#pragma once

#include <vector>

#include "ui/search/FFoundListBase.h"
#include "ui/search/UFoundEmptyLines.h"

namespace vellomar {

// The result of the free-space search: the disks of the database with their size, free space
// and the share free, sorted by one key.
class TFormFoundEmptyList : public TFoundLinesWindow<TOneELine> {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 270;
  static constexpr int kColumns = 5;

  explicit TFormFoundEmptyList(TFoundOwner owner, QWidget* parent = nullptr);
  Kind kind() const override { return Kind::kFoundEmpty; }

  // Copies the engine's found list of handle into the window, sorted, and frees that list.
  void FillList(CatalogueGateway& catalogue);
  void PrintList() override;
  void ExportList() override;

  const TFoundEmptySort& sort() const { return sort_; }

 protected:
  void drawTitle(QPainter& p, int col, const QRect& rect) override;
  void drawLine(QPainter& p, int col, int32_t line, const QRect& rect) override;
  bool chooseSort(int col, bool rightHalf) override;
  bool sortLines(const LineProgress& progress) override;
  std::string clipboardText(int32_t focused) const override;
  TFoundPlace placeOf(int32_t line) const override;
  void layoutGrid() override;

 private:
  TFoundEmptySort sort_;
};

}  // namespace vellomar
