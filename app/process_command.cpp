#include "app/process_command.h"

#include "app/application.h"
#include "app/document.h"
#include "app/progress_window.h"
#include "app/prompter.h"
#include "app/veska_view.h"
#include "app/wait_cursor.h"
#include "app/worker.h"
#include "dialogs/cursor_values_dialog.h"
#include "dialogs/preview_dialog.h"
#include "imagelib/status.h"

namespace veska::app {
namespace {

constexpr const char* kOrderMessages[] = {
    "Red small cursor must be less than large cursor",
    "Green small cursor must be less than large cursor",
    "Blue small cursor must be less than large cursor",
};

int Odd(int value) { return value % 2 == 0 ? value - 1 : value; }

// Asks for the cursors and sets them on the document; false when the user
// cancelled or the pair was refused (the refusal is shown).
bool EnterCursors(AVeskaDoc& doc, QWidget* parent) {
  const bool sixteenBit = doc.Channels().SixteenBit();
  if (doc.ChannelCount() < 2) {
    dialogs::CursorValuesDialog dialog(sixteenBit, parent);
    const OfferedCursors offer = CursorsToOffer(doc, 0, false);
    dialog.small = offer.small;
    dialog.big = offer.big;
    if (UiPrompter::Get().Run(dialog) != QDialog::Accepted) return false;
    if (dialog.small >= dialog.big) {
      UiPrompter::Get().Tell("Small cursor must be less than large cursor");
      return false;
    }
    doc.SetCursors(0, dialog.small, dialog.big);
    return true;
  }
  dialogs::RgbCursorValuesDialog dialog(sixteenBit, parent);
  for (int plane = 0; plane < 3; ++plane) {
    const OfferedCursors offer = CursorsToOffer(doc, plane, true);
    dialog.small[size_t(plane)] = offer.small;
    dialog.big[size_t(plane)] = offer.big;
    dialog.enabled[size_t(plane)] = doc.Channels().Enabled(plane);
  }
  if (UiPrompter::Get().Run(dialog) != QDialog::Accepted) return false;
  for (size_t plane = 0; plane < 3; ++plane) {
    if (dialog.enabled[plane] && dialog.small[plane] >= dialog.big[plane]) {
      UiPrompter::Get().Tell(kOrderMessages[plane]);
      return false;
    }
  }
  for (int plane = 0; plane < 3; ++plane)
    if (dialog.enabled[size_t(plane)])
      doc.SetCursors(plane, dialog.small[size_t(plane)], dialog.big[size_t(plane)]);
  return true;
}

}  // namespace

OfferedCursors CursorsToOffer(const AVeskaDoc& doc, int channel, bool zeroWhenFlat) {
  const auto [min, max] = doc.ValueRange(channel);
  if (zeroWhenFlat && min == max) return {};
  const auto [small, big] = doc.Cursors(channel);
  return {Odd(small), Odd(big)};
}

namespace {

// The rectangle Process and Preview work on: the selection, which becomes
// the whole image when there is none.
veska::PixelRect SelectionOrWholeImage(CVeskaView& view) {
  if (!view.ImageSelection()) {
    const veska::AImage& image = view.Document().Image();
    view.SetImageSelection(veska::PixelRect{0, 0, image.Width() - 1, image.Height() - 1});
  }
  return *view.ImageSelection();
}

void MakeDerived(Application& app, AVeskaDoc& doc, const veska::PixelRect& rect,
                 QWidget* parent) {
  ProgressWindow progress(parent);
  app.MakeProcessedDocument(doc, rect, &progress);
}

}  // namespace

void RunProcessCommand(Application& app, CVeskaView& view, QWidget* parent) {
  AVeskaDoc& doc = view.Document();
  if (!doc.Loaded()) return;
  const veska::PixelRect rect = SelectionOrWholeImage(view);
  if (!EnterCursors(doc, parent)) return;
  MakeDerived(app, doc, rect, parent);
  view.ClearSelection();
  view.update();
}

void RunPreviewCommand(Application& app, CVeskaView& view, QWidget* parent) {
  AVeskaDoc& doc = view.Document();
  if (!doc.Loaded()) return;
  const veska::PixelRect rect = SelectionOrWholeImage(view);
  dialogs::CPreviewDlg dialog(doc.Image(), rect, parent, view.Zoom(), app.Counts().Preview());
  if (UiPrompter::Get().Run(dialog) == QDialog::Accepted) {
    const int channels = doc.ChannelCount() > 1 ? 3 : 1;
    for (int i = 0; i < channels; ++i) doc.SetCursors(i, dialog.Small(i), dialog.Big(i));
    MakeDerived(app, doc, rect, parent);
  }
  dialog.ApplyAllRecords(doc.Channels());
  view.ClearSelection();
  view.update();
}

void RunLuminanceCommand(AVeskaDoc& doc, veska::Luminance mode, QWidget* parent) {
  ProgressWindow progress(parent);
  WaitCursor wait;
  veska::ChannelStore& store = doc.Channels();
  const int code = RunOnWorker([&] { return store.SetLuminance(mode, &progress); });
  if (code != veska::status::kOk && code != veska::status::kCancelled)
    veska::ErrorReporter::Get().Report(code);
}

}  // namespace veska::app
