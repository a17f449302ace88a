#include "app/gui_thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace veska::app {

void OnGuiThread(const std::function<void()>& work) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || QThread::currentThread() == app->thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

}  // namespace veska::app
