#include "image/image_process.h"

#include "imagelib/status.h"

namespace veska {

int ProcessImage(AImage& destination, const AImage& source, const ProcessRequest& request,
                 ResultPlanes planes) {
  // The run reads the source only (its processing rectangle included) and
  // builds the new planes apart, so that a cancel or failure leaves the
  // destination's store as it was; the destination's buffer is replaced by
  // WriteBack only at the end of a successful run.
  ChannelStore results;
  if (int rc = ProcessChannels(results, destination.Buffer(), source.Desc(), source.Channels(),
                               request))
    return rc;
  ChannelStore& store = destination.Channels();
  store.SwapPlanes(results);
  store.SetImage(&destination.Buffer());
  destination.SetGray(destination.Buffer().BitsPerPixel() == 8 ? 1 : source.IsGray());
  destination.SetLoaded(true);
  if (planes == ResultPlanes::kRebuildLuminance)
    return store.BuildLuminance(&destination.Buffer(), false);
  return status::kOk;
}

}  // namespace veska
