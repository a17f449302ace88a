#include "app/document.h"

#include <malloc.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "app/prompter.h"
#include "app/wait_cursor.h"
#include "app/worker.h"
#include "image/image_file.h"
#include "image/image_process.h"
#include "image/prompter.h"
#include "imagelib/block_cache.h"
#include "imagelib/status.h"

namespace veska::app {

AVeskaDoc::AVeskaDoc(QObject* parent) : QObject(parent), image_(std::make_unique<AImage>()) {}

AVeskaDoc::~AVeskaDoc() = default;

bool AVeskaDoc::OpenDocument(const QString& path) {
  QFile probe(path);
  if (QFileInfo(path).isDir() || !probe.open(QIODevice::ReadOnly)) {
    UiPrompter::Get().Tell(QString("Cannot open %1 for reading.").arg(path));
    return false;
  }
  probe.close();
  SetModifiedFlag(false);
  const std::string file = path.toStdString();
  int format = -1;
  int code = veska::FormatFromName(file, format);
  // What the file does not say (a BIF file's size) is asked before loading.
  veska::LoadOptions options;
  if (code == veska::status::kOk) code = veska::AskLoadOptions(file, options);
  if (code == veska::status::kOk) {
    WaitCursor wait;
    code = RunOnImage([&] { return veska::Load(*image_, file, options); });
  }
  if (code != veska::status::kOk) {
    ReleaseImage();
    veska::ErrorReporter::Get().Report(code);
    return false;
  }
  return image_->Loaded();
}

int AVeskaDoc::RunOnImage(const std::function<int()>& work) {
  const bool wasBusy = std::exchange(busy_, true);
  const int result = RunOnWorker(work);
  busy_ = wasBusy;
  if (!busy_) emit imageFree();
  return result;
}

bool AVeskaDoc::SaveDocument(const QString& path) {
  const QString titleBefore = title_;
  int code;
  {
    WaitCursor wait;
    code = RunOnWorker([&] { return veska::Save(*image_, path.toStdString()); });
  }
  if (code != veska::status::kOk) {
    veska::ErrorReporter::Get().Report(code);
    SetTitle(titleBefore);
    return false;
  }
  SetModifiedFlag(false);
  return true;
}

void AVeskaDoc::ReleaseImage() {
  image_->Free();
  image_->SetLoaded(false);
  // Give the memory back to the system, not only to the allocator: the
  // blocks kept for reuse, and the free pages of every thread's heap (the
  // worker threads' loads leave theirs behind otherwise).
  veska::ReleaseCachedBlocks();
  malloc_trim(0);
}

std::pair<int, int> AVeskaDoc::Cursors(int channel) const {
  const ChannelStore& store = image_->Channels();
  return {store.SmallCursor(channel), store.BigCursor(channel)};
}

std::pair<int, int> AVeskaDoc::LastCursors(int channel) const {
  const ChannelStore& store = image_->Channels();
  return {store.LastSmall(channel), store.LastBig(channel)};
}

std::pair<int, int> AVeskaDoc::ValueRange(int channel) const {
  const ChannelPlane* plane = image_->Channels().Plane(channel);
  if (plane == nullptr) return {0, 0};
  return {plane->Min(), plane->Max()};
}

void AVeskaDoc::SetCursors(int channel, int small, int big) {
  auto [min, max] = ValueRange(channel);
  int limit = std::clamp((max - min + 1) / 2 * 2 + 1, 3, 65535);
  small = uint16_t(small);
  big = uint16_t(big);
  if (small > limit - 2) small = limit - 2;
  if (big > limit) big = limit;
  image_->Channels().SetCursors(channel, uint16_t(small), uint16_t(big));
}

bool AVeskaDoc::Change(const std::function<bool(AImage&)>& operation, UpdateHint hint) {
  bool done;
  {
    WaitCursor wait;
    done = RunOnImage([&] { return operation(*image_) ? 1 : 0; }) != 0;
  }
  if (!done) return false;
  SetModifiedFlag(true);
  emit updateViews(hint);
  return true;
}

void AVeskaDoc::Flip(FlipDirection direction) {
  const veska::Flip flip =
      direction == FlipDirection::kUpDown ? veska::Flip::kUpsideDown : veska::Flip::kLeftRight;
  Change([flip](AImage& image) { return image.Flip(flip); }, UpdateHint::kReoriented);
}

void AVeskaDoc::Rotate(int degrees) {
  const Turn turn = degrees == 90    ? Turn::kClockwise90
                    : degrees == 180 ? Turn::kHalf
                                     : Turn::kCounterClockwise90;
  Change([turn](AImage& image) { return image.Rotate(turn); }, UpdateHint::kReoriented);
}

bool AVeskaDoc::MixFrom(AVeskaDoc& secondary, int weightA, int weightB) {
  AImage& other = secondary.Image();
  if (!Change([&](AImage& image) { return image.Mix(other, weightA, weightB); },
              UpdateHint::kReplaced))
    return false;
  SetTitle("mix" + title_.section('.', 0, 0));
  return true;
}

bool AVeskaDoc::Resize(int width, int height, bool resample) {
  return Change([=](AImage& image) { return image.Resize(width, height, resample ? 1 : 0); },
                UpdateHint::kReplaced);
}

QString AVeskaDoc::DerivedTitle(const QString& sourceTitle, int number) {
  return QString("%1%2").arg(sourceTitle.section('.', 0, 0)).arg(number);
}

bool AVeskaDoc::CopyFrom(AVeskaDoc& source, const std::optional<veska::PixelRect>& rect,
                         bool withLuminance) {
  AImage& from = source.Image();
  if (RunOnImage([&] { return image_->Copy(from, rect, withLuminance) ? 1 : 0; }) == 0)
    return false;
  SetTitle(DerivedTitle(source.Title(), source.NextDerivedNumber()));
  emit updateViews(UpdateHint::kReplaced);
  SetModifiedFlag(true);
  return true;
}

bool AVeskaDoc::ProcessFrom(AVeskaDoc& source, const veska::PixelRect& rect, int scanlines,
                            veska::ProgressSink* progress) {
  veska::ProcessRequest request;
  request.rect = rect;
  request.channel = veska::kAllChannels;
  request.scanlines = uint16_t(scanlines);
  request.progress = progress;
  const AImage& from = source.Image();
  const int code = RunOnImage([&] { return veska::ProcessImage(*image_, from, request); });
  if (code != veska::status::kOk) {
    if (code != veska::status::kCancelled) veska::ErrorReporter::Get().Report(code);
    return false;
  }
  SetTitle(DerivedTitle(source.Title(), source.DerivedCount()));
  emit updateViews(UpdateHint::kReplaced);
  SetModifiedFlag(true);
  return true;
}

bool AVeskaDoc::ReplaceWithPackedDib(std::vector<uint8_t>& block,
                                     std::optional<uint32_t> luminanceMode) {
  auto pasted = std::make_unique<AImage>();
  pasted->Channels().SetMultiChannelFlag(image_->Channels().MultiChannel());
  if (!pasted->CreateFromPackedDib(block.data(), block.size(), luminanceMode)) return false;
  image_ = std::move(pasted);
  SetModifiedFlag(true);
  emit updateViews(UpdateHint::kReplaced);
  return true;
}

void AVeskaDoc::SetTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  emit titleChanged(title_);
}

void AVeskaDoc::SetPathName(const QString& path) {
  pathName_ = QFileInfo(path).absoluteFilePath();
  SetTitle(QFileInfo(path).fileName());
  emit pathNameSet(pathName_);
}

void AVeskaDoc::SetModifiedFlag(bool modified) {
  if (modified == modified_) return;
  modified_ = modified;
  emit modifiedChanged(modified_);
}

}  // namespace veska::app
