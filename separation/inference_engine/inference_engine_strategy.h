#ifndef SEPARATION_INFERENCE_ENGINE_INFERENCE_ENGINE_STRATEGY_H_
#define SEPARATION_INFERENCE_ENGINE_INFERENCE_ENGINE_STRATEGY_H_

#include <memory>

#include "separation/inference_engine/inference_engine.h"

namespace separation {

// Builds and owns the engine for a type: the TensorFlow engine for kTensorFlow, the null
// engine (with an error log line) for every other type.
class InferenceEngineStrategy {
 public:
  InferenceEngineStrategy() = default;
  InferenceEngineStrategy(const InferenceEngineStrategy&) = delete;
  InferenceEngineStrategy& operator=(const InferenceEngineStrategy&) = delete;

  // Replaces (and so destroys) any engine held before. Does not call Init.
  void SelectInferenceEngine(const InferenceEngineType& type, const InferenceEngineParameters& params);

  // The held engine; null before the first selection.
  IInferenceEngine* GetInferenceEngine() const { return engine_.get(); }
  InferenceEngineType GetType() const { return type_; }

 private:
  std::unique_ptr<IInferenceEngine> engine_;
  InferenceEngineType type_ = InferenceEngineType::kInvalid;
};

}  // namespace separation

#endif  // SEPARATION_INFERENCE_ENGINE_INFERENCE_ENGINE_STRATEGY_H_
