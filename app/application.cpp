#include "app/application.h"

#include <QApplication>
#include <QFileInfo>
#include <algorithm>

#include "app/document.h"
#include "app/prompter.h"
#include "app/wait_cursor.h"
#include "dialogs/save_changes_dialog.h"

namespace veska::app {
namespace {

constexpr int kMaxPathChars = 260;

constexpr char kReopenQuestion[] =
    "This document is already open.  If you wish to continue opening this document again,\n"
    "all changes that you have made will be lost.\n\n"
    "Do you want to reopen this document and discard your changes?";
constexpr char kSaveChangesText[] = "Save changes to %1?";

// A name as the command line or a file manager hands it: one leading double
// quote stripped, at most 260 characters, cut at the next double quote.
QString StripName(QString name) {
  if (name.startsWith('"')) name.remove(0, 1);
  name.truncate(kMaxPathChars);
  int quote = name.indexOf('"');
  if (quote >= 0) name.truncate(quote);
  return name;
}

QString FullPath(const QString& name) {
  QFileInfo info(name);
  QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

Application::Application(QSettings& settings, QObject* parent)
    : QObject(parent), recent_(settings) {}

Application::~Application() = default;

AVeskaDoc* Application::FindByPath(const QString& path) const {
  for (AVeskaDoc* doc : documents_)
    if (!doc->PathName().isEmpty() && FullPath(doc->PathName()) == path) return doc;
  return nullptr;
}

AVeskaDoc* Application::AddDocument() {
  auto* doc = new AVeskaDoc(this);
  connect(doc, &AVeskaDoc::pathNameSet, this, [this](const QString& path) {
    recent_.Add(path);
    emit recentFilesChanged();
  });
  documents_.push_back(doc);
  return doc;
}

QString Application::NextUntitledTitle() {
  return QString("%1%2").arg(kNewDocumentBase).arg(++untitledCount_);
}

AVeskaDoc* Application::NewDocument() { return CreateDocument(NextUntitledTitle()); }

AVeskaDoc* Application::CreateDocument(const QString& title) {
  AVeskaDoc* doc = AddDocument();
  doc->SetTitle(title);
  emit documentAdded(doc);
  return doc;
}

AVeskaDoc* Application::MakeProcessedDocument(AVeskaDoc& source, const veska::PixelRect& rect,
                                               veska::ProgressSink* progress) {
  WaitCursor wait;
  AVeskaDoc* doc = NewDocument();
  // The processing replaces the copy's luminance: it is not copied.
  if (!doc->CopyFrom(source, rect, /*withLuminance=*/false) ||
      !doc->ProcessFrom(source, rect, counts_.Full(), progress)) {
    CloseDocument(*doc);
    return nullptr;
  }
  return doc;
}

AVeskaDoc* Application::MakeCopiedDocument(AVeskaDoc& source) {
  WaitCursor wait;
  AVeskaDoc* doc = NewDocument();
  if (!doc->CopyFrom(source, std::nullopt)) {
    CloseDocument(*doc);
    return nullptr;
  }
  return doc;
}

AVeskaDoc* Application::OpenDocumentFile(const QString& name) {
  const QString stripped = StripName(name);
  if (stripped.isEmpty()) return nullptr;
  const QString path = FullPath(stripped);
  if (AVeskaDoc* open = FindByPath(path)) {
    if (!open->IsModified()) {
      emit activateRequested(open);
      return open;
    }
    if (UiPrompter::Get().Ask(kAppTitle, kReopenQuestion, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No,
                              UiPrompter::Icon::kExclamation) != QMessageBox::Yes)
      return nullptr;
    open->SetModifiedFlag(false);
    CloseDocument(*open);
  }
  AVeskaDoc* doc = AddDocument();
  if (!doc->OpenDocument(path)) {
    documents_.pop_back();
    delete doc;
    return nullptr;
  }
  doc->SetPathName(path);
  emit documentAdded(doc);
  return doc;
}

void Application::FileOpen() {
  FileRequest request;
  request.filter = kOpenFilter;
  request.defaultSuffix = lastOpenExtension_;
  request.multiple = true;
  const QStringList paths = UiPrompter::Get().OpenFileNames(request);
  if (paths.isEmpty()) return;
  lastOpenExtension_ = QFileInfo(paths.first()).suffix();
  for (const QString& path : paths) OpenDocumentFile(path);
}

bool Application::FileSave(AVeskaDoc& doc) {
  QString path = doc.PathName();
  if (path.isEmpty()) {
    FileRequest request;
    request.filter = kUntitledSaveFilter;
    request.defaultSuffix = QString(kUntitledSaveExtension).mid(1);
    request.fileName = doc.Title();
    if (QFileInfo(request.fileName).suffix().isEmpty()) request.fileName += kUntitledSaveExtension;
    path = UiPrompter::Get().SaveFileName(request);
    if (path.isEmpty()) return false;
  }
  if (!doc.SaveDocument(path)) return false;
  doc.SetPathName(path);
  return true;
}

void Application::SaveAs(AVeskaDoc& doc) {
  FileRequest request;
  request.filter = kSaveAsFilter;
  const QString& title = doc.Title();
  const int dot = title.lastIndexOf('.');
  request.fileName = dot >= 0 ? title.left(dot) : title;
  request.selectedFilter = std::max(0, doc.Image().FormatIndex());
  const QString path = UiPrompter::Get().SaveFileName(request);
  if (path.isEmpty()) return;
  if (doc.SaveDocument(path)) doc.SetPathName(path);
}

bool Application::SaveModified(AVeskaDoc& doc) {
  const QString title = doc.Title();
  if (closeAllMode_ && doc.IsModified()) {
    bool save = yesToAll_;
    if (!save) {
      dialogs::SaveChangesDialog dialog(title, QApplication::activeWindow());
      switch (UiPrompter::Get().Run(dialog)) {
        case dialogs::SaveChangesDialog::kYesToAll:
          SetYesToAll(true);
          save = true;
          break;
        case dialogs::SaveChangesDialog::kYes:
          save = true;
          break;
        case dialogs::SaveChangesDialog::kNo:
          doc.SetTitle(title);
          return true;
        default:
          doc.SetTitle(title);
          return false;
      }
    }
    if (FileSave(doc)) return true;
    doc.SetTitle(title);
  }
  if (!doc.IsModified()) return true;
  switch (UiPrompter::Get().Ask(kAppTitle, QString(kSaveChangesText).arg(title),
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                QMessageBox::Yes, UiPrompter::Icon::kExclamation)) {
    case QMessageBox::Yes:
      SaveAs(doc);
      return !doc.IsModified();
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

bool Application::SaveAllModified() {
  SetCloseAllMode(true);
  bool proceed = true;
  const std::vector<AVeskaDoc*> documents = documents_;
  for (AVeskaDoc* doc : documents) {
    if (!SaveModified(*doc)) {
      proceed = false;
      break;
    }
  }
  SetCloseAllMode(false);
  return proceed;
}

void Application::CloseDocument(AVeskaDoc& doc) {
  auto it = std::find(documents_.begin(), documents_.end(), &doc);
  if (it == documents_.end()) return;
  doc.ReleaseImage();
  emit documentClosing(&doc);
  documents_.erase(std::find(documents_.begin(), documents_.end(), &doc));
  doc.deleteLater();
}

bool Application::CloseAll() {
  if (!SaveAllModified()) return false;
  const std::vector<AVeskaDoc*> documents = documents_;
  for (AVeskaDoc* doc : documents) CloseDocument(*doc);
  return true;
}

void Application::SetCloseAllMode(bool on) {
  closeAllMode_ = on;
  if (!on) yesToAll_ = false;
}

void Application::SetYesToAll(bool on) { yesToAll_ = closeAllMode_ && on; }

}  // namespace veska::app
