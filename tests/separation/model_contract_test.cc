// The shipped separation model, run through the engine as the program runs it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "separation/inference_engine/tf_inference_engine.h"
#include "tests/support/scoped_env.h"

namespace separation {
namespace {

constexpr double kPi = 3.14159265358979323846;
const std::string kModel = std::string(VANTU_BIN_DIR) + "/models/2stems/saved_model";

class ModelContractTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    engine_ = new TFInferenceEngine(Parameters());
    engine_->Init();
  }
  static InferenceEngineParameters Parameters() {
    InferenceEngineParameters p;
    p.model_path = kModel;
    p.input_tensor_name = "waveform";
    p.output_tensor_names = {"strided_slice_13", "strided_slice_23"};
    return p;
  }
  static void TearDownTestSuite() { delete engine_; }

  // Returns {vocals, accompaniment} and checks the contract every output must keep.
  static Waveforms Separate(const Waveform& in) {
    engine_->Execute(in);
    Waveforms out = engine_->GetResults();
    EXPECT_EQ(out.size(), 2u);
    for (const Waveform& w : out) {
      EXPECT_EQ(w.nb_frames, in.nb_frames);
      EXPECT_EQ(w.nb_channels, in.nb_channels);
      EXPECT_EQ(w.data.size(), in.data.size());
    }
    if (out.size() == 2 && out[0].data.size() == in.data.size() && out[1].data.size() == in.data.size()) {
      double worst = 0.0;
      for (size_t i = 0; i < in.data.size(); ++i) {
        EXPECT_TRUE(std::isfinite(out[0].data[i]) && std::isfinite(out[1].data[i]));
        worst = std::max(worst, std::abs(double{out[0].data[i]} + out[1].data[i] - in.data[i]));
      }
      EXPECT_LT(worst, 1e-4) << "the stems do not add up to the input";
    }
    return out;
  }

  static TFInferenceEngine* engine_;
};
TFInferenceEngine* ModelContractTest::engine_ = nullptr;

// A centred "voice" (a vibrato tone with harmonics, in phrases) over accompaniment panned hard
// to both sides, 6 s at 44.1 kHz. The vibrato is a singer's (about half a semitone): a steady
// tone with a 1% wobble is a synth lead, which a model trained on real voices rightly keeps in
// the accompaniment.
struct TestSong {
  Waveform mix, voice;
};
TestSong MakeSong() {
  const int frames = 6 * 44100;
  TestSong s;
  s.mix = Waveform{frames, 2, std::vector<float>(2 * frames)};
  s.voice = s.mix;
  std::mt19937 rng(7);
  std::normal_distribution<float> noise(0.0f, 1.0f);
  double phase = 0.0;
  for (int f = 0; f < frames; ++f) {
    const double t = f / 44100.0;
    const double f0 = 220.0 * std::pow(2.0, std::floor(std::fmod(t * 2, 5)) / 12) * (1 + 0.03 * std::sin(2 * kPi * 5.5 * t));
    phase += 2 * kPi * f0 / 44100.0;
    const double gate = std::fmod(t, 1.5) < 1.2 ? 1.0 : 0.0;
    double v = 0;
    for (int h = 1; h <= 8; ++h) v += std::sin(h * phase) / h;
    v *= 0.2 * gate;
    const double left = 0.15 * std::sin(2 * kPi * 110 * t) + 0.05 * noise(rng) * (std::fmod(t, 0.5) < 0.05);
    const double right = 0.15 * std::sin(2 * kPi * 164.8 * t) + 0.1 * std::sin(2 * kPi * 987 * t);
    s.voice.data[2 * f] = s.voice.data[2 * f + 1] = static_cast<float>(v);
    s.mix.data[2 * f] = static_cast<float>(v + left);
    s.mix.data[2 * f + 1] = static_cast<float>(v + right);
  }
  return s;
}

double Correlation(const std::vector<float>& a, const std::vector<float>& b) {
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    ab += double{a[i]} * b[i];
    aa += double{a[i]} * a[i];
    bb += double{b[i]} * b[i];
  }
  return ab / std::sqrt(aa * bb + 1e-20);
}

// Where the CPU runs the network in bfloat16, its stems must stay those of the float weights.
TEST_F(ModelContractTest, StereoSongsVocalsFollowTheVoiceAndTheBfloat16PathAgreesWithFloat) {
  const TestSong song = MakeSong();
  const Waveforms fast = Separate(song.mix);
  ASSERT_EQ(fast.size(), 2u);
  std::vector<float> accompaniment(song.mix.data.size());
  for (size_t i = 0; i < accompaniment.size(); ++i) accompaniment[i] = song.mix.data[i] - song.voice.data[i];
  EXPECT_GT(Correlation(fast[0].data, song.voice.data), Correlation(fast[0].data, accompaniment));
  // The accompaniment holds less of the voice than the mix did, and more of the rest. (A model
  // keeps only part of this toy voice, so what it leaves can still resemble the voice as much
  // as the accompaniment.)
  EXPECT_LT(Correlation(fast[1].data, song.voice.data), Correlation(song.mix.data, song.voice.data) - 0.05);
  EXPECT_GT(Correlation(fast[1].data, accompaniment), Correlation(song.mix.data, accompaniment) + 0.05);

  testing_support::ScopedEnv float_only("VANTU_MODEL_FLOAT32", "1");
  TFInferenceEngine engine(Parameters());
  engine.Init();
  engine.Execute(song.mix);
  const Waveforms exact = engine.GetResults();
  ASSERT_EQ(exact.size(), 2u);
  ASSERT_EQ(fast[0].data.size(), exact[0].data.size());
  double signal = 0, error = 0;
  for (size_t i = 0; i < exact[0].data.size(); ++i) {
    signal += double{exact[0].data[i]} * exact[0].data[i];
    error += std::pow(double{fast[0].data[i]} - exact[0].data[i], 2);
  }
  EXPECT_GT(10 * std::log10(signal / (error + 1e-20)), 30.0) << "the vocals differ from the float model's";
}

TEST_F(ModelContractTest, OddInputsKeepTheContractAndSilenceGivesSilence) {
  const TestSong song = MakeSong();
  Waveform mono{song.mix.nb_frames, 1, std::vector<float>(song.mix.nb_frames)};
  for (int f = 0; f < mono.nb_frames; ++f) mono.data[f] = 0.5f * (song.mix.data[2 * f] + song.mix.data[2 * f + 1]);
  Separate(mono);
  for (int frames : {0, 1, 100, 5000}) {
    Waveform w{frames, 2, std::vector<float>(2 * frames, 0.25f)};
    Separate(w);
  }
  for (int channels : {1, 2}) {
    for (const Waveform& w : Separate(Waveform{44100, channels, std::vector<float>(44100 * channels, 0.0f)})) {
      for (float x : w.data) ASSERT_LT(std::abs(x), 1e-6f);
    }
  }
}

}  // namespace
}  // namespace separation
