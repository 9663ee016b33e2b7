#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "ui/panels/UDescHint.h"
#include "ui/panels/UDescHintRest.h"
#include "ui/search/FFoundListBase.h"
#include "ui/search/UFoundFileLines.h"

namespace vellomar {

// The result of a file search: one row per found item with its disk, folder, name, size, date
// and time and short description, sorted by three keys. It stands on its own copy of the
// engine's found list, which FillList frees.
class TFormFoundFileList : public TFoundLinesWindow<TOneFLine> {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 250;
  static constexpr int kColumns = 6;

  TFormFoundFileList(TFoundOwner owner, const TFoundFileSort& sort, QWidget* parent = nullptr);
  Kind kind() const override { return Kind::kFoundFiles; }

  // Copies the engine's found list of handle into the window, sorted, and frees that list.
  void FillList(CatalogueGateway& catalogue);
  void PrintList() override;
  void ExportList() override;
  // Shows the description of the line the mouse rests on in a balloon.
  void TimerUpdate() override;

  bool hintVisible() const { return hintShown_; }
  const QStringList& hintLines() const { return hintLines_; }
  DescHintRest& hintRest() { return hintRest_; }

  const TFoundFileSort& sort() const { return sort_; }

 protected:
  void drawTitle(QPainter& p, int col, const QRect& rect) override;
  void drawLine(QPainter& p, int col, int32_t line, const QRect& rect) override;
  bool chooseSort(int col, bool rightHalf) override;
  bool sortLines(const LineProgress& progress) override;
  std::string clipboardText(int32_t focused) const override;
  TFoundPlace placeOf(int32_t line) const override;
  void layoutGrid() override;

 private:
  void measureNames(const std::vector<TOneFLine>& lines);
  void mouseMoved(QPoint pos);
  void hideHint();

  TFoundFileSort sort_;
  FoundLineTexts texts_;  // the lines' texts
  int widestName_ = 50;   // pixels
  int timeWidth_ = 0;

  // The balloon: shown at most once per resting place of the mouse.
  QWidget* hintOverlay_ = nullptr;
  DescHintRest hintRest_;
  bool hintShown_ = false;
  DescHintShape hintShape_;
  QStringList hintLines_;
  int hintLineHeight_ = 0;
};

}  // namespace vellomar
