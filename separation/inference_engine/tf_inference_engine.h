#ifndef SEPARATION_INFERENCE_ENGINE_TF_INFERENCE_ENGINE_H_
#define SEPARATION_INFERENCE_ENGINE_TF_INFERENCE_ENGINE_H_

#include <memory>
#include <string>
#include <vector>

#include "separation/inference_engine/inference_engine.h"
#include "tensorflow/cc/saved_model/loader.h"
#include "tensorflow/core/framework/tensor.h"

namespace separation {

// Runs a saved model with the tag "serve": the whole waveform is fed as one float tensor
// [frames, channels] and each fetched output becomes one result waveform.
class TFInferenceEngine : public IInferenceEngine {
 public:
  explicit TFInferenceEngine(const InferenceEngineParameters& params);
  TFInferenceEngine(const TFInferenceEngine&) = delete;
  TFInferenceEngine& operator=(const TFInferenceEngine&) = delete;

  // Loads the model; throws CheckFailure naming the folder when it cannot.
  void Init() override;
  // REQUIRES: a successful Init. Throws CheckFailure when the run fails.
  void Execute(const Waveform& waveform) override;
  void Shutdown() override {}
  Waveforms GetResults() override { return results_; }

 private:
  std::shared_ptr<tensorflow::SavedModelBundle> bundle_;
  std::string input_tensor_name_;
  std::vector<std::string> output_tensor_names_;
  std::string model_path_;
  Waveforms results_;
};

}  // namespace separation

#endif  // SEPARATION_INFERENCE_ENGINE_TF_INFERENCE_ENGINE_H_
