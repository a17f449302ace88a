// The view's processing commands: Veska Process (cursor entry, then a
// derived window holding the processed selection) and the switch between one
// composite luminance channel and one per colour.
#pragma once

#include "engine/channel_store.h"

class QWidget;

namespace veska::app {

class Application;
class AVeskaDoc;
class CVeskaView;

// The cursor pair a cursor dialog offers for `channel`: the document's
// cursors, each lowered by one when even; (0, 0) for a constant channel when
// `zeroWhenFlat`.
struct OfferedCursors {
  int small = 0;
  int big = 0;
};
OfferedCursors CursorsToOffer(const AVeskaDoc& doc, int channel, bool zeroWhenFlat);

// Veska Process on `view`'s document: the selection, or the whole image when
// there is none; the progress window and the messages go over `parent`.
void RunProcessCommand(Application& app, CVeskaView& view, QWidget* parent);

// Veska Preview on `view`'s document: the preview dialog over the selection
// (the whole image when there is none); OK makes the derived window with the
// dialog's cursors.
void RunPreviewCommand(Application& app, CVeskaView& view, QWidget* parent);

// Rebuilds the document's channel store in `mode`, showing progress. The
// document is not marked modified.
void RunLuminanceCommand(AVeskaDoc& doc, veska::Luminance mode, QWidget* parent);

}  // namespace veska::app
