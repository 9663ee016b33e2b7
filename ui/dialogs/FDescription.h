#pragma once

#include <QDialog>
#include <string>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace vellomar {

class TFittedLabel;

// The find box of the description editor: a text, match case, find next.
class TFindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFindDialog(QWidget* parent = nullptr);

  QLineEdit* FindText;
  QCheckBox* MatchCase;

 signals:
  void findNext();
};

// "Description": edits one description. The caller fills MemoDesc and LabelFile, makes the
// memo read-only for a read-only database (DisableSaving) and saves the memo's text when the
// dialog ends Accepted with the memo modified. The text of the last description saved
// non-empty stays for the whole run, for "Paste last".
class TFormDescription : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 180;

  explicit TFormDescription(QWidget* parent = nullptr);

  // Section "DescriptionWindow" of the program's INI file: Left, Top (centred on the screen
  // by default), Width, Height (the design size by default). The main window writes them back
  // at the end of the run.
  void LoadWindowPos();
  // For a new editing: the text, the file label, and whether saving is allowed.
  void Prepare(const QString& text, const QString& fileLabel, bool readOnly);
  bool Modified() const;
  QString Text() const;
  const QString& LastText() const { return lastText_; }

  QPlainTextEdit* MemoDesc;
  TFittedLabel* LabelFile;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;
  QPushButton* ButtonLast;
  QAction* MenuExitAndSave;
  QAction* MenuExit;
  QMenu* MenuEdit;
  QAction* MenuCut;
  QAction* MenuCopy;
  QAction* MenuPaste;
  QAction* MenuSelectAll;
  QAction* MenuFind;
  QAction* MenuNext;
  TFindDialog* FindDialog;

  // Save and exit: the memo's text becomes the last text (or none when empty), result
  // Accepted.
  void SaveAndExit();
  // Exit without save: asks first when the memo was modified.
  void reject() override;
  // The next place of the find text after the selection; nothing happens when there is none.
  void FindNextText();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void updatePasteLast();
  void updateEditMenu();

  QString lastText_;
};

}  // namespace vellomar
