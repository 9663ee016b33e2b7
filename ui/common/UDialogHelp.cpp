#include "ui/common/UDialogHelp.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QVariant>

#include "ui/common/UServices.h"

namespace vellomar {
namespace {

constexpr const char* kHelpProperty = "helpContext";

// F1 reaches the focused widget first; the window it lies in answers it with its topic.
class HelpKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    if (!window->property(kHelpProperty).isValid()) return false;
    showHelpOf(window);
    return true;
  }
};

}  // namespace

void setHelpContext(QWidget* dialog, int context) {
  // One filter for the run, made with the first dialog that has a topic.
  static QObject* const filter = [] {
    auto* made = new HelpKeyFilter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(made);
    return made;
  }();
  Q_UNUSED(filter);
  dialog->setProperty(kHelpProperty, context);
}

int helpContextOf(const QWidget* dialog) {
  return dialog->property(kHelpProperty).toInt();
}

void showHelpOf(const QWidget* dialog) {
  services().help->showContext(helpContextOf(dialog));
}

QComboBox* newHistoryCombo(QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  // No completion: the text typed is the text searched. Items come only from the dialog's OK.
  combo->setCompleter(nullptr);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setDuplicatesEnabled(true);
  return combo;
}

}  // namespace vellomar
