#include <gtest/gtest.h>

#include "separation/check.h"
#include "separation/inference_engine/inference_engine_strategy.h"
#include "separation/inference_engine/null_inference_engine.h"
#include "separation/inference_engine/tf_inference_engine.h"
#include "tests/support/log_capture.h"
#include "tests/support/message_of.h"
#include "tests/support/temp_dir.h"

namespace separation {
namespace {

using testing_support::LogCapture;
using testing_support::MessageOf;

const std::string kModels = TEST_MODELS_DIR;

InferenceEngineParameters Params(const std::string& model, std::vector<std::string> outputs) {
  InferenceEngineParameters p;
  p.model_path = model;
  p.input_tensor_name = "waveform";
  p.output_tensor_names = std::move(outputs);
  p.configuration = "separator:2stems";
  return p;
}

Waveform Stereo(std::vector<float> samples) {
  const auto frames = static_cast<int32_t>(samples.size() / 2);
  return Waveform{frames, 2, std::move(samples)};
}

TEST(InferenceEngineStrategyTest, UnsupportedTypesGiveTheNullEngineWithEmptyResultsAndAnErrorLine) {
  LogCapture log;
  InferenceEngineStrategy strategy;
  EXPECT_EQ(strategy.GetInferenceEngine(), nullptr);
  EXPECT_EQ(strategy.GetType(), InferenceEngineType::kInvalid);

  strategy.SelectInferenceEngine(InferenceEngineType::kTensorFlowLite, Params("", {"x", "y"}));
  auto* null = dynamic_cast<NullInferenceEngine*>(strategy.GetInferenceEngine());
  ASSERT_NE(null, nullptr);
  EXPECT_TRUE(log.Has(google::GLOG_ERROR, "inference_engine_strategy.cc", "Received kTensorFlowLite"));
  // One empty waveform per output name, before and after a run.
  EXPECT_EQ(null->GetResults().size(), 2u);
  null->Init();
  null->Execute(Stereo({0.5f, 0.5f}));
  const Waveforms results = null->GetResults();
  ASSERT_EQ(results.size(), 2u);
  for (const Waveform& w : results) {
    EXPECT_EQ(w.nb_frames, 0);
    EXPECT_EQ(w.nb_channels, 0);
    EXPECT_TRUE(w.data.empty());
  }
  EXPECT_TRUE(NullInferenceEngine(Params("", {})).GetResults().empty());

  strategy.SelectInferenceEngine(static_cast<InferenceEngineType>(7), Params("", {"a"}));
  EXPECT_EQ(strategy.GetType(), static_cast<InferenceEngineType>(7));
  EXPECT_TRUE(log.Has(google::GLOG_ERROR, "inference_engine_strategy.cc",
                      "Received ERROR: Unknown InferenceEngineType."));

  // kTensorFlow builds the real engine without loading anything and without a log line.
  const size_t before = log.lines().size();
  strategy.SelectInferenceEngine(InferenceEngineType::kTensorFlow, Params("/nonexistent", {"a"}));
  EXPECT_NE(dynamic_cast<TFInferenceEngine*>(strategy.GetInferenceEngine()), nullptr);
  EXPECT_EQ(strategy.GetType(), InferenceEngineType::kTensorFlow);
  EXPECT_EQ(log.lines().size(), before);
}

TEST(TFInferenceEngineTest, RunsTheModelAndKeepsOnlyTheLastResults) {
  LogCapture log;
  TFInferenceEngine engine(Params(kModels + "/scale", {"strided_slice_23", "strided_slice_13"}));
  engine.Init();
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "tf_inference_engine.cc",
                      "Successfully loaded saved model from '" + kModels + "/scale'."));
  engine.Execute(Stereo({1.0f, -1.0f, 0.5f, 0.25f}));
  engine.Execute(Stereo({0.4f, 0.8f}));
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "tf_inference_engine.cc", "Successfully received results 2 outputs."));
  const Waveforms results = engine.GetResults();
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].nb_frames, 1);
  EXPECT_EQ(results[0].nb_channels, 2);
  EXPECT_EQ(results[0].data, (std::vector<float>{0.1f, 0.2f}));  // the accompaniment, asked for first
  EXPECT_EQ(results[1].data, (std::vector<float>{0.2f, 0.4f}));
}

TEST(TFInferenceEngineTest, ConvertsOutputsOfAnyRank) {
  TFInferenceEngine engine(Params(kModels + "/shapes", {"rank0", "rank1", "rank3", "first_channel"}));
  engine.Init();
  engine.Execute(Stereo({1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f}));
  const Waveforms r = engine.GetResults();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].nb_frames, 1);
  EXPECT_EQ(r[0].nb_channels, 1);
  EXPECT_EQ(r[0].data, std::vector<float>{21.0f});
  EXPECT_EQ(r[1].nb_frames, 6);
  EXPECT_EQ(r[1].nb_channels, 1);
  // Rank 3 [3, 2, 2]: only the first 3 x 2 elements in memory order count.
  EXPECT_EQ(r[2].nb_frames, 3);
  EXPECT_EQ(r[2].nb_channels, 2);
  EXPECT_EQ(r[2].data, (std::vector<float>{1.0f, 1.0f, 2.0f, 2.0f, 3.0f, 3.0f}));
  EXPECT_EQ(r[3].nb_channels, 1);
  EXPECT_EQ(r[3].data, (std::vector<float>{1.0f, 3.0f, 5.0f}));

  // No names: nothing fetched, zero outputs reported.
  LogCapture log;
  TFInferenceEngine none(Params(kModels + "/shapes", {}));
  none.Init();
  none.Execute(Stereo({1.0f, 2.0f}));
  EXPECT_TRUE(none.GetResults().empty());
  EXPECT_TRUE(log.Has(google::GLOG_INFO, "tf_inference_engine.cc", "Successfully received results 0 outputs."));
}

TEST(TFInferenceEngineTest, LoadFailuresNameTheFolderAndTheCause) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir.File("saved_model.torchscript"), "not a model");
  struct Case {
    std::string folder;
    std::string cause;
  };
  const std::vector<Case> cases = {
      {dir.File("missing"), "the model folder '" + dir.File("missing") + "' does not exist"},
      {kModels, "the model folder '" + kModels + "' holds no 'saved_model.torchscript'"},
      {dir.path(), "is not a readable TorchScript model"},
      {kModels + "/noserve", "has no method for the tag 'serve'"},
  };
  for (const Case& c : cases) {
    TFInferenceEngine engine(Params(c.folder, {"strided_slice_13"}));
    const std::string message = MessageOf<CheckFailure>([&] { engine.Init(); });
    EXPECT_EQ(message.rfind("Check failed: ret.ok() Failed to load saved model '" + c.folder + "', (Message: ", 0), 0u)
        << message;
    EXPECT_NE(message.find(c.cause), std::string::npos) << message;
    EXPECT_EQ(message.back(), ')');
    // Without a model nothing can run, and nothing aborts.
    EXPECT_THROW(engine.Execute(Stereo({0.0f, 0.0f})), CheckFailure);
  }
}

TEST(TFInferenceEngineTest, RunFailuresNameTheTensorAndLeaveNoResults) {
  TFInferenceEngine unknown(Params(kModels + "/scale", {"strided_slice_13", "no_such_output"}));
  unknown.Init();
  std::string message = MessageOf<CheckFailure>([&] { unknown.Execute(Stereo({0.1f, 0.2f})); });
  EXPECT_EQ(message.rfind("Check failed: ret.ok() Unable to run Session, (Message: ", 0), 0u) << message;
  EXPECT_NE(message.find("'no_such_output'"), std::string::npos) << message;
  EXPECT_TRUE(unknown.GetResults().empty());

  InferenceEngineParameters wrong_input = Params(kModels + "/scale", {"strided_slice_13"});
  wrong_input.input_tensor_name = "audio";
  TFInferenceEngine misnamed(wrong_input);
  misnamed.Init();
  message = MessageOf<CheckFailure>([&] { misnamed.Execute(Stereo({0.1f, 0.2f})); });
  EXPECT_NE(message.find("'audio'"), std::string::npos) << message;

  TFInferenceEngine refusing(Params(kModels + "/fails", {"strided_slice_13"}));
  refusing.Init();
  message = MessageOf<CheckFailure>([&] { refusing.Execute(Waveform{2, 1, {0.1f, 0.2f}}); });
  EXPECT_NE(message.find("expected 2 channels"), std::string::npos) << message;
  // The engine stays usable after a refused run.
  refusing.Execute(Stereo({0.1f, 0.2f}));
  EXPECT_EQ(refusing.GetResults().size(), 1u);
}

}  // namespace
}  // namespace separation
