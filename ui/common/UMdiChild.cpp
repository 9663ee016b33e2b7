#include "ui/common/UMdiChild.h"

#include <QAction>
#include <QKeySequence>

namespace vellomar {

TMdiChild::TMdiChild(QWidget* parent) : QMdiSubWindow(parent) {
  // The child's own close keys are the desktop's, which on some hold Ctrl+W alone. Where they
  // hold Ctrl+F4 already, a second binding would make the key ambiguous and neither would act.
  const QKeySequence ctrlF4(Qt::CTRL | Qt::Key_F4);
  if (QKeySequence::keyBindings(QKeySequence::Close).contains(ctrlF4)) return;
  auto* closeKey = new QAction(this);
  closeKey->setShortcut(ctrlF4);
  closeKey->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(closeKey, &QAction::triggered, this, &QWidget::close);
  addAction(closeKey);
}

}  // namespace vellomar
