#include "separation/inference_engine/tf_inference_engine.h"

#include <glog/logging.h>

#include <algorithm>
#include <limits>
#include <unordered_set>
#include <utility>

#include "separation/check.h"
#include "tensorflow/cc/saved_model/tag_constants.h"
#include "tensorflow/core/lib/core/status.h"
#include "tensorflow/core/protobuf/config.pb.h"
#include "tensorflow/core/public/session.h"
#include "tensorflow/core/public/session_options.h"

namespace separation {
namespace {

bool FitsInt32(int64_t v) { return v >= 0 && v <= std::numeric_limits<int32_t>::max(); }

Waveform ToWaveform(const tensorflow::Tensor& tensor) {
  const int64_t frames = tensor.dims() >= 1 ? tensor.dim_size(0) : 1;
  const int64_t channels = tensor.dims() >= 2 ? tensor.dim_size(1) : 1;
  SEPARATION_CHECK(FitsInt32(frames) && FitsInt32(channels))
      << "Model output of shape " << tensor.shape().DebugString() << " is too large for a waveform";
  Waveform waveform;
  waveform.nb_frames = static_cast<int32_t>(frames);
  waveform.nb_channels = static_cast<int32_t>(channels);
  const auto flat = tensor.flat<float>();
  const int64_t count = std::min<int64_t>(frames * channels, flat.size());
  waveform.data.assign(flat.data(), flat.data() + count);
  return waveform;
}

}  // namespace

TFInferenceEngine::TFInferenceEngine(const InferenceEngineParameters& params)
    : bundle_(std::make_shared<tensorflow::SavedModelBundle>()),
      input_tensor_name_(params.input_tensor_name),
      output_tensor_names_(params.output_tensor_names),
      model_path_(params.model_path) {}

void TFInferenceEngine::Init() {
  tensorflow::SessionOptions session_options;
  session_options.config.Clear();
  tensorflow::RunOptions run_options;
  run_options.mutable_experimental()->set_use_run_handler_pool(true);
  const std::unordered_set<std::string> tags{tensorflow::kSavedModelTagServe};

  const tensorflow::Status ret =
      tensorflow::LoadSavedModel(session_options, run_options, model_path_, tags, bundle_.get());
  SEPARATION_CHECK(ret.ok()) << "Failed to load saved model '" << model_path_ << "', (Message: " << ret.error_message()
                             << ")";
  LOG(INFO) << "Successfully loaded saved model from '" << model_path_ << "'.";
}

void TFInferenceEngine::Execute(const Waveform& waveform) {
  SEPARATION_CHECK(bundle_->session) << "No model is loaded from '" << model_path_ << "'";
  const int64_t samples = int64_t{waveform.nb_frames} * waveform.nb_channels;
  SEPARATION_CHECK(waveform.nb_frames >= 0 && waveform.nb_channels >= 0 &&
                   static_cast<int64_t>(waveform.data.size()) == samples)
      << "Waveform of " << waveform.nb_frames << " frames and " << waveform.nb_channels << " channels holds "
      << waveform.data.size() << " samples";

  tensorflow::Tensor input(tensorflow::DT_FLOAT, tensorflow::TensorShape({waveform.nb_frames, waveform.nb_channels}));
  std::copy(waveform.data.begin(), waveform.data.end(), input.flat<float>().data());
  std::vector<std::pair<std::string, tensorflow::Tensor>> inputs{{input_tensor_name_, std::move(input)}};

  // Release the last run's results before the new run allocates its own.
  results_.clear();
  std::vector<tensorflow::Tensor> outputs;
  const tensorflow::Status ret = bundle_->session->Run(inputs, output_tensor_names_, {}, &outputs);
  // A long song's input and raw outputs are each as large as the song: drop every buffer once its
  // samples are copied, so only the results stay held.
  inputs.clear();
  SEPARATION_CHECK(ret.ok()) << "Unable to run Session, (Message: " << ret.error_message() << ")";
  LOG(INFO) << "Successfully received results " << outputs.size() << " outputs.";

  for (tensorflow::Tensor& output : outputs) {
    results_.push_back(ToWaveform(output));
    output = tensorflow::Tensor();
  }
}

}  // namespace separation
