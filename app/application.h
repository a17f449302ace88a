// The application object: the open documents in the order they were made,
// the recent-file list, the scanline counts in force, and the rules that
// belong to a document's life but span documents: opening a file (also one
// that is already open), File Save and Save As, the close prompt and the
// close-all mode with its yes-to-all flag. It knows no windows either: the
// main window listens to its signals and gives each document a window.
#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "app/recent_files.h"
#include "imagelib/image_rect.h"
#include "engine/scanline_counts.h"

namespace veska {
class ProgressSink;
}  // namespace veska

namespace veska::app {

class AVeskaDoc;

// The file filters of the program's file dialogs. JPEG and TIFF list their
// longer extensions too (.jpeg, .jpe, .tiff), which load and save alike.
inline constexpr char kSaveAsFilter[] =
    "JPEG Image Files (*.jpg *.jpeg *.jpe)|*.jpg;*.jpeg;*.jpe|"
    "TIFF Image Files (*.tif *.tiff)|*.tif;*.tiff|PNG Image Files (*.png)|*.png|"
    "BMP Image Files (*.bmp)|*.bmp|BIF Raw Image Files (*.bif)|*.bif|PCX Image Files (*.pcx)|"
    "*.pcx|ASCII Files (*.asc)|*.asc||";
inline constexpr char kOpenFilter[] =
    "All Image Files|*.bif;*.bmp;*.jpg;*.jpeg;*.jpe;*.pcx;*.png;*.tif;*.tiff;*.asc|"
    "BIF Raw Image Files (*.bif)|*.bif|BMP Image Files (*.bmp)|*.bmp|"
    "JPEG Image Files (*.jpg *.jpeg *.jpe)|*.jpg;*.jpeg;*.jpe|PCX Image Files (*.pcx)|*.pcx|"
    "PNG Image Files (*.png)|*.png|TIFF Image Files (*.tif *.tiff)|*.tif;*.tiff|"
    "ASCII Files (*.asc)|*.asc|All Files (*.*)|*.*||";
inline constexpr char kBatchFilter[] =
    "Batch Files (*.btc)|*.btc|Batch Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
// File Save of a document without a path.
inline constexpr char kUntitledSaveFilter[] = "TIF Files (*.tif)|*.tif||";
inline constexpr char kUntitledSaveExtension[] = ".TIF";
// New documents are called Veska1, Veska2, ...
inline constexpr char kNewDocumentBase[] = "Veska";

class Application final : public QObject {
  Q_OBJECT
 public:
  // `settings` (not owned) holds the recent-file list.
  explicit Application(QSettings& settings, QObject* parent = nullptr);
  ~Application() override;

  const std::vector<AVeskaDoc*>& Documents() const { return documents_; }
  AVeskaDoc* FindByPath(const QString& path) const;

  // File New: an empty, untitled document with its window.
  AVeskaDoc* NewDocument();
  // An empty document with a window, for the commands that derive one.
  AVeskaDoc* CreateDocument(const QString& title);
  // A derived document: a new window holding `rect` of the source, then the
  // Veska processing of it with the Full count, showing `progress`. When
  // either step fails (or the user cancels) the new window is gone at once
  // and nullptr is returned; a number the copy used up stays used.
  AVeskaDoc* MakeProcessedDocument(AVeskaDoc& source, const veska::PixelRect& rect,
                                   veska::ProgressSink* progress);
  // A new window with a copy of the whole source image (Mix and Resize then
  // work on it); nullptr, and no window, when the copy fails.
  AVeskaDoc* MakeCopiedDocument(AVeskaDoc& source);
  // Opens `name` (from File Open, the recent-file list or the command line):
  // a file already open is activated, or, when modified, reopened only if
  // the user agrees to lose the changes. nullptr when nothing was opened.
  AVeskaDoc* OpenDocumentFile(const QString& name);
  // File Open: asks for one or more files and opens each in turn.
  void FileOpen();

  // File Save: to the document's path, asking for a name (TIF) without one.
  bool FileSave(AVeskaDoc& doc);
  // The document's own Save As.
  void SaveAs(AVeskaDoc& doc);
  // The close prompt: true to go on closing.
  bool SaveModified(AVeskaDoc& doc);
  // Close All and exit: every document's close prompt in close-all mode,
  // stopping at the first Cancel.
  bool SaveAllModified();
  // Closes `doc` without asking: its image is released, its window goes.
  void CloseDocument(AVeskaDoc& doc);
  // Close All: the prompts, then every document closed; false when one was
  // cancelled (the documents stay open).
  bool CloseAll();

  // The close-all mode; switching it off also clears yes-to-all, which can
  // be set only while the mode is on.
  void SetCloseAllMode(bool on);
  bool CloseAllMode() const { return closeAllMode_; }
  void SetYesToAll(bool on);
  bool YesToAll() const { return yesToAll_; }

  veska::ScanlineCounts& Counts() { return counts_; }
  RecentFiles& Recent() { return recent_; }
  // The extension of the file last chosen in File Open (the dialog's default).
  const QString& LastOpenExtension() const { return lastOpenExtension_; }
  // The batch file that last passed validation.
  QString lastBatchPath;

 signals:
  void documentAdded(veska::app::AVeskaDoc* doc);
  void documentClosing(veska::app::AVeskaDoc* doc);
  void activateRequested(veska::app::AVeskaDoc* doc);
  void recentFilesChanged();

 private:
  AVeskaDoc* AddDocument();
  QString NextUntitledTitle();

  std::vector<AVeskaDoc*> documents_;  // owned as QObject children
  RecentFiles recent_;
  veska::ScanlineCounts counts_;
  QString lastOpenExtension_;
  int untitledCount_ = 0;
  bool closeAllMode_ = false;
  bool yesToAll_ = false;
};

}  // namespace veska::app
