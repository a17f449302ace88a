#include "dialogs/splash_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace veska::dialogs {
namespace {

bool g_enabled = true;
QPointer<SplashWindow> g_current;

}  // namespace

void SplashWindow::Enable(bool enabled) { g_enabled = enabled; }

SplashWindow* SplashWindow::Current() { return g_current; }

void SplashWindow::ShowOver(QWidget* parent) {
  if (!g_enabled || g_current != nullptr) return;
  QPixmap artwork(":/splash.svg");
  if (artwork.isNull()) return;
  g_current = new SplashWindow(artwork, parent);
  g_current->show();
  g_current->repaint();
}

SplashWindow::SplashWindow(const QPixmap& artwork, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), artwork_(artwork) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAccessibleName("Veska Pro");
  setFixedSize(artwork_.size());
  setCursor(Qt::ArrowCursor);
  const QRect area = parent != nullptr ? parent->geometry()
                                       : QApplication::primaryScreen()->availableGeometry();
  move(area.center() - rect().center());
  QTimer::singleShot(kShowMilliseconds, this, &SplashWindow::Hide);
  qApp->installEventFilter(this);
}

SplashWindow::~SplashWindow() { qApp->removeEventFilter(this); }

void SplashWindow::Hide() {
  qApp->removeEventFilter(this);
  QWidget* owner = parentWidget();
  close();
  if (owner != nullptr) owner->repaint();
}

bool SplashWindow::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
      break;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
      const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
      if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton)
        return false;
      break;
    }
    default:
      return false;
  }
  Hide();
  return true;
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, artwork_);
}

}  // namespace veska::dialogs
