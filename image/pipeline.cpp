#include "image/pipeline.h"

#include "image/image_process.h"
#include "imagelib/status.h"

namespace veska {

PipelineResult RunPipeline(const PipelineRequest& request, const PipelineStepDone& after) {
  AImage input;
  const int loaded = Load(input, request.input, request.load);
  return RunLoadedPipeline(loaded, input, request, after);
}

PipelineResult RunLoadedPipeline(int loadStatus, AImage& input, const PipelineRequest& request,
                                 const PipelineStepDone& after) {
  auto done = [&](PipelineStep step, const AImage& image) {
    return !after || after(step, image);
  };
  if (loadStatus != status::kOk) return {PipelineStep::kLoad, loadStatus};
  if (!done(PipelineStep::kLoad, input)) return {PipelineStep::kProcess, status::kCancelled};

  if (request.luminance && input.Desc()->BitsPerPixel() == 24) {
    if (int rc = input.Channels().SetLuminance(*request.luminance, request.process.progress))
      return {PipelineStep::kProcess, rc};
  }
  SetCursorPairOnEveryPlane(input.Channels(), request.bigCursor, request.smallCursor);
  ProcessRequest process = request.process;
  process.channel = kAllChannels;
  AImage output;
  // The input is not used after the run, so its matrices go as soon as they
  // are read. The output is saved from its pixels; its luminance is never
  // read, so it is not built.
  if (int rc = ProcessImageConsuming(output, input, process, ResultPlanes::kKeepResults))
    return {PipelineStep::kProcess, rc};
  if (!done(PipelineStep::kProcess, output)) return {PipelineStep::kSave, status::kCancelled};

  if (int rc = Save(output, request.output)) return {PipelineStep::kSave, rc};
  done(PipelineStep::kSave, output);
  return {PipelineStep::kSave, status::kOk};
}

}  // namespace veska
