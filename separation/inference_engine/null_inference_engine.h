#ifndef SEPARATION_INFERENCE_ENGINE_NULL_INFERENCE_ENGINE_H_
#define SEPARATION_INFERENCE_ENGINE_NULL_INFERENCE_ENGINE_H_

#include "separation/inference_engine/inference_engine.h"

namespace separation {

// The engine of unsupported types: does nothing and always returns one empty waveform per
// output tensor name.
class NullInferenceEngine : public IInferenceEngine {
 public:
  explicit NullInferenceEngine(const InferenceEngineParameters& params)
      : results_(params.output_tensor_names.size()) {}

  void Init() override {}
  void Execute(const Waveform& /*waveform*/) override {}
  void Shutdown() override {}
  Waveforms GetResults() override { return results_; }

 private:
  Waveforms results_;
};

}  // namespace separation

#endif  // SEPARATION_INFERENCE_ENGINE_NULL_INFERENCE_ENGINE_H_
