// The window of one document inside the main window. Its caption is the
// document's title with Qt's modified mark; closing it runs the document's
// close prompt. The image window itself (display, zoom, selection) is the
// view inside it.
#pragma once

#include <QMdiSubWindow>

namespace veska::app {

class AVeskaDoc;
class Application;
class CVeskaView;

class CChildFrame final : public QMdiSubWindow {
  Q_OBJECT
 public:
  CChildFrame(Application& app, AVeskaDoc& doc, QWidget* parent = nullptr);

  AVeskaDoc& Document() const { return doc_; }
  CVeskaView* View() const { return view_; }

  // Closes without the close prompt (the document is going away).
  void CloseQuietly();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateCaption();

  Application& app_;
  AVeskaDoc& doc_;
  CVeskaView* view_;
  bool quiet_ = false;
};

}  // namespace veska::app
