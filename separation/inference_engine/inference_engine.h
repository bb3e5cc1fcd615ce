// The interface through which the separator drives a model runtime, the engine types and the
// parameters an engine is built from.
#ifndef SEPARATION_INFERENCE_ENGINE_INFERENCE_ENGINE_H_
#define SEPARATION_INFERENCE_ENGINE_INFERENCE_ENGINE_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "separation/audio/waveform.h"

namespace separation {

enum class InferenceEngineType : uint8_t {
  kTensorFlowLite = 0,
  kTensorFlow = 1,
  kInvalid = 255,  // before any selection
};

// Prints "kTensorFlowLite", "kTensorFlow" or "ERROR: Unknown InferenceEngineType.".
std::ostream& operator<<(std::ostream& os, InferenceEngineType type);

struct InferenceEngineParameters {
  std::string model_path;  // folder of the saved model, UTF-8
  std::string input_tensor_name;
  std::vector<std::string> output_tensor_names;  // one per stem
  std::string configuration;                     // carried, not interpreted
};

// Protocol: construct, Init once, Execute once per waveform, GetResults after each Execute.
// Used from one thread. Failures throw CheckFailure.
class IInferenceEngine {
 public:
  virtual ~IInferenceEngine() = default;
  virtual void Init() = 0;
  virtual void Execute(const Waveform& waveform) = 0;
  virtual void Shutdown() = 0;
  // A copy of the results of the last Execute, one per output tensor name.
  virtual Waveforms GetResults() = 0;
};

}  // namespace separation

#endif  // SEPARATION_INFERENCE_ENGINE_INFERENCE_ENGINE_H_
