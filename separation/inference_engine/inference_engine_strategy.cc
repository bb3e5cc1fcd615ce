#include "separation/inference_engine/inference_engine_strategy.h"

#include <glog/logging.h>

#include "separation/inference_engine/null_inference_engine.h"
#include "separation/inference_engine/tf_inference_engine.h"

namespace separation {

std::ostream& operator<<(std::ostream& os, InferenceEngineType type) {
  switch (type) {
    case InferenceEngineType::kTensorFlowLite: return os << "kTensorFlowLite";
    case InferenceEngineType::kTensorFlow: return os << "kTensorFlow";
    default: return os << "ERROR: Unknown InferenceEngineType.";
  }
}

void InferenceEngineStrategy::SelectInferenceEngine(const InferenceEngineType& type,
                                                    const InferenceEngineParameters& params) {
  type_ = type;
  if (type == InferenceEngineType::kTensorFlow) {
    engine_ = std::make_unique<TFInferenceEngine>(params);
    return;
  }
  engine_ = std::make_unique<NullInferenceEngine>(params);
  LOG(ERROR) << "Received " << type;
}

}  // namespace separation
