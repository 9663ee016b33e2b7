#include "ui/search/UHistoryCombo.h"

#include <QComboBox>

#include "ui/search/USearchRequest.h"

namespace vellomar {

std::string toUtf8(const QString& text) {
  return text.toUtf8().toStdString();
}

std::string textOf(const QComboBox* combo) {
  return toUtf8(combo->currentText());
}

std::vector<std::string> historyOf(const QComboBox* combo) {
  std::vector<std::string> items;
  for (int i = 0; i < combo->count(); ++i) items.push_back(toUtf8(combo->itemText(i)));
  return items;
}

void setHistory(QComboBox* combo, const std::vector<std::string>& items, const std::string& text) {
  combo->clear();
  for (const std::string& item : items) combo->addItem(QString::fromStdString(item));
  combo->setCurrentIndex(-1);
  combo->setEditText(QString::fromStdString(text));
}

void keepTextInHistory(QComboBox* combo) {
  const std::string text = textOf(combo);
  if (text.empty()) return;
  std::vector<std::string> items = historyOf(combo);
  const size_t before = items.size();
  addToHistory(items, text);
  if (items.size() != before) setHistory(combo, items, text);
}

}  // namespace vellomar
