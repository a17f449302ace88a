// Veska processing of an image object: the engine's driver (engine/process.h)
// run from one AImage's pixels and channel store into another AImage.
#pragma once

#include "engine/process.h"
#include "image/aimage.h"

namespace veska {

// What becomes of the destination's channel store after a run.
enum class ResultPlanes {
  kRebuildLuminance,  // rebuilt from the new pixels (what every front end does)
  kKeepResults,       // the 8-bit result planes the run produced
};

// Processes `source` into `destination` as `request` asks. The destination's
// buffer and channel store are replaced only when the run succeeds (a cancel
// or failure leaves it as it was). The destination is grey when it is 8-bit,
// else it takes the source's grey flag. Returns kOk, kCancelled (show
// nothing) or the failure's code; nothing is reported here, so that a run on
// a worker thread can hand its status to the thread that shows messages.
int ProcessImage(AImage& destination, const AImage& source, const ProcessRequest& request,
                 ResultPlanes planes = ResultPlanes::kRebuildLuminance);

}  // namespace veska
