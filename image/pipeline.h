// One image from file to file: load, the cursor pair on every plane, Veska
// processing, save. The batch run (one entry per line) and `veska process`
// both run it; what each shows between the steps is theirs to say.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/channel_store.h"
#include "engine/process.h"
#include "image/aimage.h"
#include "image/image_file.h"

namespace veska {

struct PipelineRequest {
  std::string input;
  std::string output;
  LoadOptions load;  // gathered by the caller before the run
  // The cursor pair given to every plane (SetCursorPairOnEveryPlane).
  int32_t bigCursor = 0;
  int32_t smallCursor = 0;
  // A colour image's store switched to this mode before processing; none
  // keeps the mode it loaded with. Grey images have one plane whatever is
  // asked.
  std::optional<Luminance> luminance = std::nullopt;
  // Rectangle, scanlines and progress of the run (also shows a luminance
  // switch); the channel is always kAllChannels.
  ProcessRequest process = {};
};

enum class PipelineStep { kLoad, kProcess, kSave };

// How a run ended: kOk after the save, or the step that stopped it with its
// status (kCancelled for a cancel, or for a stop asked by `after`).
struct PipelineResult {
  PipelineStep step = PipelineStep::kSave;
  int status = 0;
};

// Called after each step that succeeded, with the image it produced (the
// loaded input, the processed output, the saved output); false stops the
// run there, reported as kCancelled at the next step. The output's channel
// store holds the run's result planes (ResultPlanes::kKeepResults), not a
// luminance built from its pixels: nothing on the way to the file reads it.
using PipelineStepDone = std::function<bool(PipelineStep step, const AImage& image)>;

// Runs the request. Nothing is reported or asked: the caller shows the
// failed step's status as it shows any other.
PipelineResult RunPipeline(const PipelineRequest& request, const PipelineStepDone& after = {});

// The same from the load's outcome on: `input` holds request.input as Load
// left it, with its status `loadStatus`. For a caller that loads ahead (the
// batch run loads the next entry while this one is processed).
PipelineResult RunLoadedPipeline(int loadStatus, AImage& input, const PipelineRequest& request,
                                 const PipelineStepDone& after = {});

}  // namespace veska
