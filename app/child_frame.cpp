#include "app/child_frame.h"

#include <QCloseEvent>

#include "app/application.h"
#include "app/document.h"
#include "app/veska_view.h"

namespace veska::app {

CChildFrame::CChildFrame(Application& app, AVeskaDoc& doc, QWidget* parent)
    : QMdiSubWindow(parent), app_(app), doc_(doc) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new CVeskaView(doc_);
  setWidget(view_);
  UpdateCaption();
  connect(&doc_, &AVeskaDoc::titleChanged, this, &CChildFrame::UpdateCaption);
  connect(&doc_, &AVeskaDoc::modifiedChanged, this, &CChildFrame::setWindowModified);
  setWindowModified(doc_.IsModified());
}

void CChildFrame::UpdateCaption() {
  setWindowTitle(doc_.Title() + "[*]");
  setAccessibleName(doc_.Title());
}

void CChildFrame::CloseQuietly() {
  quiet_ = true;
  close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (quiet_) {
    QMdiSubWindow::closeEvent(event);
    return;
  }
  // The document decides. When it agrees the application closes it, and
  // this window, already closing, closes with this event: the quiet close
  // the application asks for on the way cannot start a second one.
  if (!app_.SaveModified(doc_)) {
    event->ignore();
    return;
  }
  quiet_ = true;
  app_.CloseDocument(doc_);
  QMdiSubWindow::closeEvent(event);
}

}  // namespace veska::app
