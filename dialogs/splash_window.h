// The splash window over the main window at start-up: our own artwork and
// nothing else, for two seconds or until the first key or mouse press, which
// it eats.
#pragma once

#include <QPointer>
#include <QWidget>

namespace veska::dialogs {

class SplashWindow final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kShowMilliseconds = 2000;

  // Whether the splash is wanted at all (set from the command line).
  static void Enable(bool enabled);
  // Shows the splash over `parent` when enabled and none is up; nothing
  // when the artwork cannot be loaded.
  static void ShowOver(QWidget* parent);
  // The splash window now up, or nullptr.
  static SplashWindow* Current();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  SplashWindow(const QPixmap& artwork, QWidget* parent);
  ~SplashWindow() override;
  void Hide();

  QPixmap artwork_;
};

}  // namespace veska::dialogs
