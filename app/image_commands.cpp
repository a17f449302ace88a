#include "app/image_commands.h"

#include <cstdlib>

#include "app/application.h"
#include "app/document.h"
#include "app/prompter.h"
#include "app/veska_view.h"
#include "dialogs/mix_dialog.h"
#include "dialogs/resize_dialog.h"

namespace veska::app {

void RunMixCommand(Application& app, CVeskaView& view, QWidget* parent) {
  dialogs::CMixDlg dialog(parent);
  dialog.SetPrimary(&view.Document());
  dialog.SetZoom(view.ZoomFactor());
  dialog.SetDocuments(&app.Documents());
  if (UiPrompter::Get().Run(dialog) != QDialog::Accepted) return;
  AVeskaDoc* primary = dialog.Primary();
  AVeskaDoc* secondary = dialog.Secondary();
  if (primary == nullptr || secondary == nullptr || std::abs(dialog.PrimaryWeight()) > 100 ||
      std::abs(dialog.Percent()) > 100)
    return;
  // The copy carries the primary's whole channel store with it.
  AVeskaDoc* mixed = app.MakeCopiedDocument(*primary);
  if (mixed == nullptr) return;
  if (!mixed->MixFrom(*secondary, dialog.WeightA(), dialog.WeightB())) app.CloseDocument(*mixed);
}

void RunResizeCommand(Application& app, CVeskaView& view, QWidget* parent) {
  AVeskaDoc& doc = view.Document();
  dialogs::CResizeDlg dialog(parent);
  dialog.SetCurrent(&doc);
  dialog.SetDocuments(&app.Documents());
  if (UiPrompter::Get().Run(dialog) != QDialog::Accepted) return;
  const int width = dialogs::WholePixels(dialog.NewWidth());
  const int height = dialogs::WholePixels(dialog.NewHeight());
  if (width < 1 || height < 1) return;
  AVeskaDoc* resized = app.MakeCopiedDocument(doc);
  if (resized == nullptr) return;
  if (!resized->Resize(width, height, dialog.Resample())) {
    app.CloseDocument(*resized);
    return;
  }
  resized->Image().SetResolution(dialog.Resolution());
}

}  // namespace veska::app
