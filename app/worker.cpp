#include "app/worker.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace veska::app {
namespace {

// Eats user input for every window but the active modal one.
class InputBlocker final : public QObject {
 public:
  InputBlocker() { qApp->installEventFilter(this); }
  ~InputBlocker() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::Shortcut:
      case QEvent::Close:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    QWidget* modal = QApplication::activeModalWidget();
    return widget == nullptr || modal == nullptr ||
           (widget != modal && !modal->isAncestorOf(widget));
  }
};

}  // namespace

Worker::Worker(QObject* parent) : QObject(parent) {}

Worker::~Worker() { Wait(); }

void Worker::Start(std::function<int()> work) {
  Wait();
  thread_.reset(QThread::create([this, work = std::move(work)] { result_ = work(); }));
  connect(thread_.get(), &QThread::finished, this, [this] { emit finished(result_); });
  thread_->start();
}

bool Worker::Running() const { return thread_ != nullptr && thread_->isRunning(); }

void Worker::Wait() {
  if (thread_ != nullptr) thread_->wait();
}

int RunOnWorker(const std::function<int()>& work) {
  InputBlocker blocker;
  Worker worker;
  QEventLoop loop;
  int result = 0;
  QObject::connect(&worker, &Worker::finished, &loop, [&](int value) {
    result = value;
    loop.quit();
  });
  worker.Start(work);
  loop.exec();
  worker.Wait();
  return result;
}

}  // namespace veska::app
