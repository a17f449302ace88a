#include "image/image_process.h"

#include "imagelib/status.h"

namespace veska {

namespace {

// ProcessImage; `consumed` is the source itself when the run may use up its
// matrices and buffer, else nullptr.
int Run(AImage& destination, const AImage& source, AImage* consumed,
        const ProcessRequest& request, ResultPlanes planes) {
  // The run reads the source only (its processing rectangle included) and
  // builds the new planes apart, so that a cancel or failure leaves the
  // destination's store as it was; the destination's buffer is replaced by
  // WriteBack only at the end of a successful run.
  ChannelStore results;
  const int rc =
      consumed != nullptr
          ? ProcessChannelsConsuming(results, destination.Buffer(), &consumed->Buffer(),
                                     consumed->Channels(), request)
          : ProcessChannels(results, destination.Buffer(), source.Desc(), source.Channels(),
                            request);
  if (rc != status::kOk) return rc;
  ChannelStore& store = destination.Channels();
  store.SwapPlanes(results);
  store.SetImage(&destination.Buffer());
  destination.SetGray(destination.Buffer().BitsPerPixel() == 8 ? 1 : source.IsGray());
  destination.SetLoaded(true);
  if (planes == ResultPlanes::kRebuildLuminance)
    return store.BuildLuminance(&destination.Buffer(), false);
  return status::kOk;
}

}  // namespace

int ProcessImage(AImage& destination, const AImage& source, const ProcessRequest& request,
                 ResultPlanes planes) {
  return Run(destination, source, nullptr, request, planes);
}

int ProcessImageConsuming(AImage& destination, AImage& source, const ProcessRequest& request,
                          ResultPlanes planes) {
  return Run(destination, source, &source, request, planes);
}

}  // namespace veska
