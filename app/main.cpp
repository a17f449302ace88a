// veska-pro, the desktop program: `veska-pro [--nosplash] [FILE...]`. The
// files named are opened as File Open opens them, so that a file manager's
// "Open with" works.
#include <malloc.h>

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QStringList>

#include "app/application.h"
#include "app/error_reporter.h"
#include "app/main_frame.h"
#include "app/resources.h"
#include "dialogs/splash_window.h"

int main(int argc, char** argv) {
  // Large blocks (images, luminance matrices) come straight from the system
  // and go straight back when a document closes. Left to itself the
  // allocator raises this threshold after the first large block is freed
  // and then keeps every later image's memory after its document is closed.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  QApplication qtApp(argc, argv);
  QApplication::setOrganizationName("Veska Pro");
  QApplication::setApplicationName("Veska Pro");
  veska::app::LoadResources();
  QApplication::setWindowIcon(QIcon(":/veska-pro.svg"));

  QStringList files;
  bool splash = true;
  const QStringList arguments = QApplication::arguments().mid(1);
  for (const QString& argument : arguments) {
    if (argument == "--nosplash" || argument == "-nosplash" || argument == "-nologo") {
      splash = false;
    } else if (argument.startsWith('-')) {
      continue;
    } else {
      files << argument;
    }
  }
  veska::dialogs::SplashWindow::Enable(splash);

  veska::app::MessageBoxReporter reporter;
  QSettings settings;
  veska::app::Application app(settings);
  veska::app::CMainFrame window(app);
  // Without a window manager (a bare X server) maximising does nothing, so
  // the window starts at the screen's size either way.
  if (QScreen* screen = QApplication::primaryScreen()) window.resize(screen->availableSize());
  window.showMaximized();
  for (const QString& file : files) app.OpenDocumentFile(file);
  return QApplication::exec();
}
