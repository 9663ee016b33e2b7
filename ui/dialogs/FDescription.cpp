#include "ui/dialogs/FDescription.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QStyle>
#include <QTextBlock>
#include <QVBoxLayout>

#include "foundation/UIniFile.h"
#include "ui/common/UDialogHelp.h"
#include "ui/common/UFittedText.h"
#include "ui/common/UServices.h"
#include "ui/common/UWindowPlacement.h"
#include "ui/settings/USettings.h"

namespace vellomar {

namespace {

constexpr int kDesignWidth = 500;
constexpr int kDesignHeight = 350;
constexpr const char* kPlacementSection = "DescriptionWindow";

}  // namespace

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("FindDialog");
  setWindowTitle("Find");
  setHelpContext(this, TFormDescription::kHelpContext);
  FindText = new QLineEdit(this);
  MatchCase = new QCheckBox("Match &case", this);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* next = buttons->addButton("&Find Next", QDialogButtonBox::AcceptRole);
  next->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  buttons->addButton(QDialogButtonBox::Help);
  connect(next, &QPushButton::clicked, this, &TFindDialog::findNext);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { showHelpOf(this); });
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel("Fi&nd what:", this));
  row->addWidget(FindText);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(MatchCase);
  layout->addWidget(buttons);
}

TFormDescription::TFormDescription(QWidget* parent) : QDialog(parent) {
  setObjectName("FormDescription");
  setWindowTitle("Description");
  setHelpContext(this, kHelpContext);
  setSizeGripEnabled(true);
  resize(kDesignWidth, kDesignHeight);

  auto* menuBar = new QMenuBar(this);
  QMenu* file = menuBar->addMenu("&File");
  MenuExitAndSave = file->addAction("&Save and exit (OK)", this, &TFormDescription::SaveAndExit);
  MenuExitAndSave->setShortcut(QKeySequence("Ctrl+S"));
  MenuExit = file->addAction("E&xit without save (Cancel)", this, &TFormDescription::reject);
  MenuExit->setShortcut(QKeySequence(Qt::Key_Escape));
  MenuEdit = menuBar->addMenu("&Edit");
  MemoDesc = new QPlainTextEdit(this);
  MenuCut = MenuEdit->addAction("Cu&t", MemoDesc, &QPlainTextEdit::cut);
  MenuCut->setShortcut(QKeySequence("Ctrl+X"));
  MenuCopy = MenuEdit->addAction("&Copy", MemoDesc, &QPlainTextEdit::copy);
  MenuCopy->setShortcut(QKeySequence("Ctrl+C"));
  MenuPaste = MenuEdit->addAction("&Paste", this, [this] {
    MemoDesc->insertPlainText(QString::fromStdString(services().clipboard->text()));
  });
  MenuPaste->setShortcut(QKeySequence("Ctrl+V"));
  MenuEdit->addSeparator();
  MenuSelectAll = MenuEdit->addAction("Select &all", MemoDesc, &QPlainTextEdit::selectAll);
  MenuSelectAll->setShortcut(QKeySequence("Ctrl+A"));
  connect(MenuEdit, &QMenu::aboutToShow, this, &TFormDescription::updateEditMenu);
  QMenu* search = menuBar->addMenu("&Search");
  FindDialog = new TFindDialog(this);
  MenuFind = search->addAction("&Find", FindDialog, &QDialog::show);
  MenuFind->setShortcut(QKeySequence("Ctrl+F"));
  MenuNext = search->addAction("Find &next", this, &TFormDescription::FindNextText);
  MenuNext->setShortcut(QKeySequence(Qt::Key_F3));
  connect(FindDialog, &TFindDialog::findNext, this, &TFormDescription::FindNextText);

  MemoDesc->setFrameShape(QFrame::NoFrame);
  MemoDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoDesc->installEventFilter(this);
  connect(MemoDesc, &QPlainTextEdit::textChanged, this, &TFormDescription::updatePasteLast);

  // A long path is cut to its end: it never widens the window past its buttons.
  LabelFile = new TFittedLabel(this);
  ButtonOK = new QPushButton("OK", this);
  ButtonOK->setDefault(true);
  ButtonCancel = new QPushButton("Cancel", this);
  ButtonLast = new QPushButton("&Paste last", this);
  connect(ButtonOK, &QPushButton::clicked, this, &TFormDescription::SaveAndExit);
  connect(ButtonCancel, &QPushButton::clicked, this, &TFormDescription::reject);
  connect(ButtonLast, &QPushButton::clicked, this, [this] {
    MemoDesc->setPlainText(lastText_);
    MemoDesc->document()->setModified(true);
    MemoDesc->setFocus();
  });
  auto* bottom = new QHBoxLayout;
  // The row keeps clear of the window's edges and of the size grip in its corner.
  const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
  const QSizeGrip* grip = findChild<QSizeGrip*>();
  bottom->setContentsMargins(margin, margin,
                             margin + (grip != nullptr ? grip->sizeHint().width() : 0), 0);
  bottom->addWidget(LabelFile, 1);
  bottom->addWidget(ButtonLast);
  bottom->addWidget(ButtonOK);
  bottom->addWidget(ButtonCancel);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(menuBar);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->addWidget(MemoDesc, 1);
  layout->addLayout(bottom);
  registerPlacementWriter(this, kDescriptionPlacement, [this](IniFile& ini) {
    writeBounds(ini, kPlacementSection, frameBounds(this));
  });
}

void TFormDescription::LoadWindowPos() {
  const QRect screen = screenArea();
  setFrameBounds(this,
                 readBounds(IniFile::load(configFilePath(kProgramIniName)), kPlacementSection,
                            centredBounds(QSize(kDesignWidth, kDesignHeight), screen), screen));
}

void TFormDescription::Prepare(const QString& text, const QString& fileLabel, bool readOnly) {
  MemoDesc->setPlainText(text);
  MemoDesc->document()->setModified(false);
  MemoDesc->setReadOnly(readOnly);
  ButtonOK->setEnabled(!readOnly);
  MenuExitAndSave->setEnabled(!readOnly);
  LabelFile->setFullText(fileLabel);
}

bool TFormDescription::Modified() const {
  return MemoDesc->document()->isModified();
}

QString TFormDescription::Text() const {
  return MemoDesc->toPlainText();
}

void TFormDescription::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  MemoDesc->setFocus();
  ButtonLast->setVisible(!lastText_.isEmpty());
  updatePasteLast();
}

void TFormDescription::updatePasteLast() {
  ButtonLast->setEnabled(MemoDesc->document()->isEmpty());
}

void TFormDescription::updateEditMenu() {
  const bool selection = MemoDesc->textCursor().hasSelection();
  MenuCut->setEnabled(selection && !MemoDesc->isReadOnly());
  MenuCopy->setEnabled(selection);
  MenuPaste->setEnabled(!MemoDesc->isReadOnly() && !services().clipboard->text().empty());
}

void TFormDescription::SaveAndExit() {
  if (!ButtonOK->isEnabled()) return;
  lastText_ = MemoDesc->toPlainText();
  accept();
}

void TFormDescription::reject() {
  if (Modified() && !MemoDesc->isReadOnly()) {
    switch (services().messages->show("Description", "Description text was modified. Save?",
                                      BoxIcon::kQuestion, BoxButtons::kYesNoCancel)) {
      case BoxResult::kYes:
        accept();
        return;
      case BoxResult::kNo:
        break;
      default:
        return;
    }
  }
  QDialog::reject();
}

void TFormDescription::FindNextText() {
  const QString what = FindDialog->FindText->text();
  if (what.isEmpty()) return;
  const Qt::CaseSensitivity sensitivity =
      FindDialog->MatchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const QString text = MemoDesc->toPlainText();
  const qsizetype at = text.indexOf(what, MemoDesc->textCursor().selectionEnd(), sensitivity);
  if (at < 0) return;
  QTextCursor cursor = MemoDesc->textCursor();
  cursor.setPosition(static_cast<int>(at));
  cursor.setPosition(static_cast<int>(at + what.size()), QTextCursor::KeepAnchor);
  MemoDesc->setTextCursor(cursor);
}

bool TFormDescription::eventFilter(QObject* watched, QEvent* event) {
  if (watched == MemoDesc && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & Qt::ControlModifier)) {
      SaveAndExit();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vellomar
