#include "app/child_frame.h"

#include <QCloseEvent>

#include "app/application.h"
#include "app/document.h"
#include "app/image_view.h"

namespace veska::app {

ChildFrame::ChildFrame(Application& app, AVeskaDoc& doc, QWidget* parent)
    : QMdiSubWindow(parent), app_(app), doc_(doc) {
  setAttribute(Qt::WA_DeleteOnClose);
  view_ = new ImageView(doc_);
  setWidget(view_);
  UpdateCaption();
  connect(&doc_, &AVeskaDoc::titleChanged, this, &ChildFrame::UpdateCaption);
  connect(&doc_, &AVeskaDoc::modifiedChanged, this, &ChildFrame::setWindowModified);
  setWindowModified(doc_.IsModified());
}

void ChildFrame::UpdateCaption() {
  setWindowTitle(doc_.Title() + "[*]");
  setAccessibleName(doc_.Title());
}

void ChildFrame::CloseQuietly() {
  quiet_ = true;
  close();
}

void ChildFrame::closeEvent(QCloseEvent* event) {
  if (quiet_) {
    QMdiSubWindow::closeEvent(event);
    return;
  }
  // The document decides; when it agrees the application closes it, which
  // closes this window quietly.
  event->ignore();
  if (app_.SaveModified(doc_)) app_.CloseDocument(doc_);
}

}  // namespace veska::app
