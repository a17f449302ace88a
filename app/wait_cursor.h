// The wait cursor for the life of one long operation, restored on every path
// out of it (return or exception).
#pragma once

#include <QApplication>
#include <QCursor>

namespace veska::app {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace veska::app
