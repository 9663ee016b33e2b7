#include "ui/search/UHistoryCombo.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>

#include "foundation/UIniFile.h"
#include "foundation/UShortString.h"
#include "ui/common/UDialogHelp.h"
#include "ui/search/USearchRequest.h"

namespace vellomar {

namespace {

constexpr int kStoredItems = 15;

std::string numbered(std::string_view key, int n) {
  return std::string(key) + std::to_string(n);
}

std::string readCut(const IniFile& ini, std::string_view section, const std::string& key) {
  return std::string(utf8Prefix(ini.readString(section, key, ""), ShortString::kMaxLength));
}

}  // namespace

QComboBox* addHistoryCombo(QWidget* parent, QBoxLayout* layout, const char* caption,
                           int minimumWidth) {
  auto* row = new QHBoxLayout;
  QComboBox* combo = newHistoryCombo(parent);
  combo->setMinimumWidth(minimumWidth);
  auto* label = new QLabel(caption, parent);
  label->setBuddy(combo);
  row->addWidget(label);
  row->addWidget(combo, 1);
  layout->addLayout(row);
  return combo;
}

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

void saveHistory(IniFile& ini, std::string_view section, std::string_view key,
                 const QComboBox* combo) {
  const std::vector<std::string> items = historyOf(combo);
  ini.writeString(section, key, textOf(combo));
  for (int n = 1; n <= kStoredItems; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    ini.writeString(section, numbered(key, n), i < items.size() ? items[i] : std::string());
  }
}

void loadHistory(const IniFile& ini, std::string_view section, std::string_view key,
                 QComboBox* combo) {
  std::vector<std::string> items;
  for (int n = 1; n <= kStoredItems; ++n) {
    std::string item = readCut(ini, section, numbered(key, n));
    if (item.empty()) break;
    items.push_back(std::move(item));
  }
  setHistory(combo, items, readCut(ini, section, std::string(key)));
}

}  // namespace vellomar
