#pragma once

#include <QDialog>

#include "engine/api/UApiTypes.h"
#include "foundation/UShortString.h"

class QLabel;

namespace vellomar {

// "Disk Information": the statistics of one disk.
class TFormDiskInfo : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 280;

  explicit TFormDiskInfo(QWidget* parent = nullptr);
  void SetValues(const TDiskInfo& info);

  QLabel* LabelDiskName;
  QLabel* LabelVolumeLabel;
  QLabel* LabelOriginalFolder;
  QLabel* LabelScanDate;
  QLabel* LabelDirs;
  QLabel* LabelFiles;
  QLabel* LabelArchives;
  QLabel* LabelArcDirs;
  QLabel* LabelArcFiles;
  QLabel* LabelDataSize;
  QLabel* LabelArcSize;
  QLabel* LabelTotSize;
  QLabel* LabelDiskSize;
  QLabel* LabelDiskFree;
};

// "Database Information": the database file's records and whether compressing it pays.
class TFormDBaseInfo : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 280;

  explicit TFormDBaseInfo(QWidget* parent = nullptr);
  void SetValues(const TDBaseStats& stats, const ShortString& name);

  QLabel* LabelDBaseName;
  QLabel* LabelSize;
  QLabel* LabelRecords;
  QLabel* LabelRecordsDeleted;
  QLabel* LabelReindex;
  QLabel* LabelReadOnly;
};

}  // namespace vellomar
