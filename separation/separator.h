// The entry point of the separation engine: one SeparatorApp reads one WAV file, runs the model
// once over the whole waveform and writes one WAV file per model output.
#ifndef SEPARATION_SEPARATOR_H_
#define SEPARATION_SEPARATOR_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "separation/audio/audio_adapter.h"
#include "separation/audio/waveform.h"
#include "separation/inference_engine/inference_engine.h"
#include "separation/inference_engine/inference_engine_strategy.h"

namespace separation {

// All names and paths are opaque narrow (UTF-8) byte strings.
struct SeparatorOptions {
  std::string input;            // the WAV file to separate
  std::string destination;      // the output folder
  std::string filename_format;  // carried, not expanded
  std::string configuration;    // carried only
  InferenceEngineParameters params;
  double offset = 0.0;
  double duration = 0.0;
  std::string codec;  // output file extension
  int32_t bitrate = 0;
  bool mwf = false;
  std::string audio_adapter;
  std::string stem_name;  // output file base name
  // When set, the model's other stem from the same run is written here as a WAV file too
  // (for listening); its tensor follows the stem's in params.output_tensor_names.
  std::string companion_path;
};

// The options of the program's separation of one stem: `input` WAV separated by the model in
// `model_dir`, the vocals or the accompaniment written as destination/stem_name.wav.
SeparatorOptions StemOptions(const std::string& input, const std::string& destination, const std::string& model_dir,
                             bool vocals, const std::string& stem_name);

// Adds the other stem of StemOptions' model to the same run, written as a WAV file at `path`.
void AddCompanionStem(SeparatorOptions* options, const std::string& path);

class ISeparator {
 public:
  virtual ~ISeparator() = default;
  // Runs the model on `waveform` in memory.
  virtual Waveforms Separate(const Waveform& waveform) = 0;
  // Loads `audio_descriptor`, runs the model once and writes each result as
  // destination + "/" + stem name + "." + codec. Throws on the first failure; files written for
  // earlier results stay.
  virtual void SeparateToFile(const std::string& audio_descriptor, const std::string& destination,
                              const std::string& audio_adapter, double offset, double duration,
                              const std::string& codec, int32_t bitrate, const std::string& filename_format,
                              bool synchronous) = 0;
};

class Separator : public ISeparator {
 public:
  // Builds the WAV adapter and the TensorFlow engine and loads the model (throws CheckFailure
  // when it cannot be loaded).
  Separator(const InferenceEngineParameters& params, std::string instrument_name, bool mwf);
  Separator(const Separator&) = delete;
  Separator& operator=(const Separator&) = delete;

  Waveforms Separate(const Waveform& waveform) override;
  void SeparateToFile(const std::string& audio_descriptor, const std::string& destination,
                      const std::string& audio_adapter, double offset, double duration, const std::string& codec,
                      int32_t bitrate, const std::string& filename_format, bool synchronous) override;

 private:
  // Declaration order gives the destruction order: names, then the engine, then the adapter.
  bool mwf_;
  std::unique_ptr<IAudioAdapter> audio_adapter_;
  InferenceEngineStrategy inference_engine_strategy_;
  std::vector<std::string> instrument_names_;
};

// One separation of one file: loads the model on construction, separates on Run.
class SeparatorApp {
 public:
  explicit SeparatorApp(const SeparatorOptions& options);
  SeparatorApp(const SeparatorApp&) = delete;
  SeparatorApp& operator=(const SeparatorApp&) = delete;

  // Throws on failure (CheckFailure or a standard filesystem error); logs
  // "Successfully executed separator!!" on success.
  void Run();

 private:
  SeparatorOptions options_;
  std::unique_ptr<ISeparator> separator_;
};

}  // namespace separation

#endif  // SEPARATION_SEPARATOR_H_
