#pragma once

#include <string>
#include <vector>

class QComboBox;
class QString;

namespace vellomar {

// An editable combo box whose items are the history of texts typed into it.

std::string textOf(const QComboBox* combo);
std::vector<std::string> historyOf(const QComboBox* combo);
void setHistory(QComboBox* combo, const std::vector<std::string>& items, const std::string& text);
// The present text goes on top of the items unless one equals it exactly; an empty text never.
void keepTextInHistory(QComboBox* combo);

std::string toUtf8(const QString& text);

}  // namespace vellomar
