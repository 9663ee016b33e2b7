#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <vector>

class QWidget;

namespace vellomar {

// A close of the frame (SIGTERM, its close box, File > Exit) that arrives while work is on the
// stack below it (a run, a modal box, a nested event loop, a command or an idle pass) would
// free windows and the database under that work. Such a request is kept instead: the runs are
// told to stop (pending() answers their abort queries), modal boxes and popups are closed as
// Escape closes them, and the frame is closed again once the stack has unwound. A window that
// answers its close with Cancel (a query to save) ends the request: the program stays open.
class CloseRequest : public QObject {
  Q_OBJECT
 public:
  static constexpr int kRetryMs = 20;

  // For the frame's close event: true when the close must wait (it is then kept and retried);
  // false when it may go on now.
  static bool defer(QWidget* frame);
  // A close is waiting: every run stops at its next callback.
  static bool pending();
  // Whether nothing is on the stack that a close must wait for.
  static bool stackUnwound();

  // Lets waiting events run from inside work: a close they bring waits for the caller.
  static void processEvents();

  // Marks work that a close must wait for.
  class Work {
   public:
    Work();
    ~Work();
    Work(const Work&) = delete;
    Work& operator=(const Work&) = delete;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit CloseRequest(QWidget* frame);
  void retry();
  void end();

  QPointer<QWidget> frame_;
  QTimer timer_;
  // The windows in front that were asked to close and have not gone since.
  std::vector<QPointer<QObject>> asked_;
};

}  // namespace vellomar
