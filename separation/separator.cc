#include "separation/separator.h"

#include <glog/logging.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "separation/audio/wav_audio_adapter.h"
#include "separation/check.h"

namespace separation {
namespace {

namespace fs = std::filesystem;

// The folder creation error callers and users see; its text is fixed.
class CreateDirectoryError : public fs::filesystem_error {
 public:
  explicit CreateDirectoryError(const fs::path& path)
      : fs::filesystem_error("create_directory(p): invalid argument", path,
                             std::make_error_code(std::errc::invalid_argument)) {}
  const char* what() const noexcept override { return "create_directory(p): invalid argument"; }
};

fs::path ToPath(const std::string& narrow) {
  if (narrow.find('\0') != std::string::npos) throw std::invalid_argument("invalid char filename argument");
  return fs::path(narrow);
}

// Creates only the last element of `folder`; its parent must exist.
void EnsureFolder(const std::string& folder) {
  const fs::path path = ToPath(folder);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (status.type() != fs::file_type::not_found && !ec) return;
  if (!fs::create_directory(path, ec) && ec) throw CreateDirectoryError(path);
}

}  // namespace

SeparatorOptions StemOptions(const std::string& input, const std::string& destination, const std::string& model_dir,
                             bool vocals, const std::string& stem_name) {
  SeparatorOptions options;
  options.input = input;
  options.destination = destination;
  options.filename_format = "{filename}/{instrument}.{codec}";
  options.configuration = "separator:2stems";
  options.params.model_path = model_dir;
  options.params.input_tensor_name = "waveform";
  options.params.output_tensor_names = {vocals ? "strided_slice_13" : "strided_slice_23"};
  options.params.configuration = "separator:2stems";
  options.offset = 0.0;
  options.duration = 18000.0;
  options.codec = "wav";
  options.bitrate = 128000;
  options.mwf = false;
  options.audio_adapter = "wav";
  options.stem_name = stem_name;
  return options;
}

void AddCompanionStem(SeparatorOptions* options, const std::string& path) {
  std::vector<std::string>& names = options->params.output_tensor_names;
  const bool vocals = !names.empty() && names.front() == "strided_slice_13";
  names.resize(1);
  names.push_back(vocals ? "strided_slice_23" : "strided_slice_13");
  options->companion_path = path;
}

Separator::Separator(const InferenceEngineParameters& params, std::string instrument_name, bool mwf)
    : mwf_(mwf), audio_adapter_(std::make_unique<WavAudioAdapter>()), instrument_names_{std::move(instrument_name)} {
  (void)mwf_;
  inference_engine_strategy_.SelectInferenceEngine(InferenceEngineType::kTensorFlow, params);
  inference_engine_strategy_.GetInferenceEngine()->Init();
}

Waveforms Separator::Separate(const Waveform& waveform) {
  IInferenceEngine* engine = inference_engine_strategy_.GetInferenceEngine();
  engine->Execute(waveform);
  return engine->GetResults();
}

void Separator::SeparateToFile(const std::string& audio_descriptor, const std::string& destination,
                               const std::string& /*audio_adapter*/, double offset, double duration,
                               const std::string& codec, int32_t bitrate, const std::string& /*filename_format*/,
                               bool /*synchronous*/) {
  IInferenceEngine* engine = inference_engine_strategy_.GetInferenceEngine();
  {
    // The input is as large as the song: gone before the stems are copied out and written.
    const Waveform waveform = audio_adapter_->Load(audio_descriptor, offset, duration, -1);
    engine->Execute(waveform);
  }
  const Waveforms results = engine->GetResults();
  // Every result needs a name; refuse before writing anything rather than drop stems silently.
  SEPARATION_CHECK(results.size() <= instrument_names_.size())
      << "The model returned " << results.size() << " results for " << instrument_names_.size() << " stem names";

  for (size_t i = 0; i < results.size(); ++i) {
    EnsureFolder(destination);
    const std::string path = destination + "/" + instrument_names_[i] + "." + codec;
    audio_adapter_->Save(path, results[i], 44100, codec, bitrate);
  }
}

SeparatorApp::SeparatorApp(const SeparatorOptions& options)
    : options_(options), separator_(std::make_unique<Separator>(options_.params, options_.stem_name, options_.mwf)) {}

void SeparatorApp::Run() {
  if (options_.companion_path.empty()) {
    separator_->SeparateToFile(options_.input, options_.destination, options_.audio_adapter, options_.offset,
                               options_.duration, options_.codec, options_.bitrate, options_.filename_format, false);
  } else {
    // One model run gives both stems; the companion goes where the caller asked.
    WavAudioAdapter adapter;
    const Waveform waveform = adapter.Load(options_.input, options_.offset, options_.duration, -1);
    const Waveforms results = separator_->Separate(waveform);
    SEPARATION_CHECK(results.size() == 2) << "The model returned " << results.size()
                                          << " results for a stem and its companion";
    EnsureFolder(options_.destination);
    adapter.Save(options_.destination + "/" + options_.stem_name + "." + options_.codec, results[0], 44100,
                 options_.codec, options_.bitrate);
    adapter.Save(options_.companion_path, results[1], 44100, "wav", options_.bitrate);
  }
  LOG(INFO) << "Successfully executed separator!!";
}

}  // namespace separation
