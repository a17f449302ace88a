// AVeskaDoc: one open image, its file name and title, its modified state and
// the per-channel cursor values it is processed with. The document knows
// nothing of its windows: it tells whoever listens what changed (its title,
// its modified flag, its image) and the windows follow.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <utility>

#include "image/aimage.h"
#include "imagelib/image_rect.h"

namespace veska {
class ProgressSink;
}

namespace veska::app {

// What changed in a document's image, for its views.
enum class UpdateHint {
  kReoriented = 0,  // rotated or flipped in place
  kReplaced = 100,  // a new image: sizes, frame and selection start again
};

enum class FlipDirection { kLeftRight, kUpDown };

class AVeskaDoc final : public QObject {
  Q_OBJECT
 public:
  explicit AVeskaDoc(QObject* parent = nullptr);
  ~AVeskaDoc() override;

  // Checks that the file opens for reading, detects its format from the
  // extension and loads it; the document is clean afterwards. Failures are
  // reported (a user's cancel silently); false leaves no image.
  bool OpenDocument(const QString& path);
  // Saves the image in the format of the path's extension. Success clears
  // the modified flag; failure is reported and the title set back.
  bool SaveDocument(const QString& path);
  // Gives the image's pixels and channels back; the document is empty.
  void ReleaseImage();

  // Runs `work`, which changes the image, on a worker thread and returns
  // its result. Meanwhile the image is busy: its views draw nothing from it,
  // and they repaint once it is free again.
  int RunOnImage(const std::function<int()>& work);
  bool ImageBusy() const { return busy_; }

  veska::AImage& Image() { return *image_; }
  const veska::AImage& Image() const { return *image_; }
  veska::ChannelStore& Channels() { return image_->Channels(); }
  int ChannelCount() const { return image_->Channels().PlaneCount(); }
  bool Loaded() const { return image_->Loaded(); }

  // Per channel: (small, big) cursors, the cursors its last processing
  // used, and (min, max) of its luminance values.
  std::pair<int, int> Cursors(int channel) const;
  std::pair<int, int> LastCursors(int channel) const;
  std::pair<int, int> ValueRange(int channel) const;
  // Stores the pair, then keeps it inside what the channel's value range
  // allows: the big cursor at most L = ((max - min + 1) / 2) * 2 + 1 (within
  // 3..65535), the small one at most L - 2.
  void SetCursors(int channel, int small, int big);

  // Changes of the image in place; each marks the document modified and
  // updates the views. Failures are reported and change nothing.
  void Flip(FlipDirection direction);
  void Rotate(int degrees);  // 90 clockwise, 180, 270 (= 90 counter-clockwise)
  bool MixFrom(AVeskaDoc& secondary, int weightA, int weightB);
  bool Resize(int width, int height, bool resample);
  // Replaces the image with a packed bitmap (a pasted one). The new image is
  // built aside, so a failure (reported) leaves the image and the modified
  // flag as they were; success marks the document modified and tells the
  // views the image was replaced. A luminanceMode, when given, chooses one
  // plane per colour (bit 0) or one composite plane; without one the store
  // keeps its mode.
  bool ReplaceWithPackedDib(std::vector<uint8_t>& block, std::optional<uint32_t> luminanceMode);

  const QString& Title() const { return title_; }
  void SetTitle(const QString& title);
  // Empty for a new or derived document until it is saved.
  const QString& PathName() const { return pathName_; }
  // Sets the path and the title (the file's name); tells listeners so that
  // the path joins the recent-file list.
  void SetPathName(const QString& path);

  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified);

  // Derived documents made from this one; the next one's number.
  int DerivedCount() const { return derivedCount_; }
  int NextDerivedNumber() { return ++derivedCount_; }

  // The title of a document derived from one titled `sourceTitle`: the title
  // cut before its first "." followed by `number` (photo.jpg, 2 -> photo2).
  static QString DerivedTitle(const QString& sourceTitle, int number);

  // The first step of every derived document: this document's image becomes
  // a copy of the source's, limited to `rect` when given (the channel store
  // cut to it too); the source's derived count goes up and names this one;
  // the views start again and the document is modified. A failed copy is
  // reported, uses up no number and returns false. Without `withLuminance`
  // the store's matrices are left out (ProcessFrom replaces them at once).
  bool CopyFrom(AVeskaDoc& source, const std::optional<veska::PixelRect>& rect,
                bool withLuminance = true);
  // The Veska processing of a derived document: `rect` of the source
  // processed into this document with all channels, `scanlines` per octant,
  // the luminance rebuilt from the result, on a worker thread with
  // `progress`. The engine's failure is reported, a cancel is not; either
  // returns false and leaves the document as it was.
  bool ProcessFrom(AVeskaDoc& source, const veska::PixelRect& rect, int scanlines,
                   veska::ProgressSink* progress);

 signals:
  void titleChanged(const QString& title);
  void modifiedChanged(bool modified);
  void pathNameSet(const QString& path);
  void updateViews(veska::app::UpdateHint hint);
  // The image is free again after RunOnImage.
  void imageFree();

 private:
  // Runs an image operation off the user-interface thread under the wait
  // cursor; on success marks the document modified and updates the views.
  bool Change(const std::function<bool(veska::AImage&)>& operation, UpdateHint hint);

  std::unique_ptr<veska::AImage> image_;
  QString title_;
  QString pathName_;
  bool modified_ = false;
  int derivedCount_ = 0;
  bool busy_ = false;
};

}  // namespace veska::app
