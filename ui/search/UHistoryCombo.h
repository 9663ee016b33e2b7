#pragma once

#include <string>
#include <string_view>
#include <vector>

class QBoxLayout;
class QComboBox;
class QString;
class QWidget;

namespace vellomar {

class IniFile;

// An editable combo box whose items are the history of texts typed into it, as the search
// dialogs keep their masks: made with its label, read, extended on OK, and kept in
// "Settings.ini".

// A new history combo with its label before it, as one row of layout.
QComboBox* addHistoryCombo(QWidget* parent, QBoxLayout* layout, const char* caption,
                           int minimumWidth);

std::string textOf(const QComboBox* combo);
std::vector<std::string> historyOf(const QComboBox* combo);
void setHistory(QComboBox* combo, const std::vector<std::string>& items, const std::string& text);
// The present text goes on top of the items unless one equals it exactly; an empty text never.
void keepTextInHistory(QComboBox* combo);

// The text under key, the first 15 items under key1..key15 (the keys after the last item
// written empty).
void saveHistory(IniFile& ini, std::string_view section, std::string_view key,
                 const QComboBox* combo);
// The text and the numbered items up to the first empty one, each cut to 255 bytes; the
// items read replace the combo's.
void loadHistory(const IniFile& ini, std::string_view section, std::string_view key,
                 QComboBox* combo);

std::string toUtf8(const QString& text);

}  // namespace vellomar
