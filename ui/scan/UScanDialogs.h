#pragma once

#include <QObject>

class QWidget;

namespace vellomar {

class TFormAskForLabel;
class TFormScanFolder;
class TFormScanProgress;
class TFormSelectDrive;
class TFormSelectFolder;

// The scanning dialogs of the run, made once and reused: the drive dialog keeps its position,
// the folder browser its tree. The first window that asks for them owns them (the main window
// at start); they go with it.
class ScanDialogs : public QObject {
  Q_OBJECT
 public:
  static ScanDialogs& of(QWidget* window);

  TFormSelectDrive* SelectDrive;
  TFormSelectFolder* SelectFolder;
  TFormScanFolder* ScanFolder;
  TFormAskForLabel* AskForLabel;
  TFormScanProgress* ScanProgress;

 private:
  explicit ScanDialogs(QWidget* owner);
};

}  // namespace vellomar
