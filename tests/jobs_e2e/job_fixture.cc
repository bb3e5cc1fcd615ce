#include "tests/jobs_e2e/job_fixture.h"

#include <cstring>
#include <filesystem>

#include "jobs/trace.h"
#include "tests/support/run_program.h"

namespace jobs_e2e {

JobFixture::JobFixture() {
  jobs::SetTraceEnabled(false);
  out_dir_ = dir_.File("out");
  temp_dir_ = dir_.File("temp");
  std::filesystem::create_directories(out_dir_);
  std::filesystem::create_directories(temp_dir_);
  env_ = jobs::JobEnvironment::Default();
  env_.output_dir = [this] { return out_dir_; };
  env_.temp_dir = [this] { return temp_dir_; };
  env_.model_dir = std::string(VANTU_BIN_DIR) + "/models/2stems/saved_model";
  host_.on_finished = [this](const jobs::FinishedRecord& r) { finished_.push_back(r); };
  SetFormats("wav");
  Rebuild();
}

void JobFixture::SetFormats(const std::string& format) {
  for (int p = 0; p < jobs::kPageCount; ++p) {
    host_.SetText("audio-" + std::string(jobs::ShortName(static_cast<jobs::PageKind>(p))) + "-format", format);
  }
}

JobFixture::~JobFixture() {
  controller_.reset();
}

void JobFixture::Rebuild() {
  controller_.reset();
  controller_ = std::make_unique<jobs::JobController>(host_, host_.poster(), env_);
  host_.SetHandler([this](uint32_t m, std::unique_ptr<jobs::MessageRecord> r) {
    controller_->HandleMessage(m, std::move(r));
  });
}

std::string JobFixture::Make(const std::string& name, const std::vector<std::string>& args) {
  return testing_support::MakeMedia(dir_.File(name), args);
}

int32_t JobFixture::Add(jobs::PageKind page, const std::string& path) {
  const int32_t item = next_item_++;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  items_[item] = jobs::MakeTaskItem(path, ec ? 0 : size);
  host_.AddElement(jobs::NamesOf(page).list, item);
  return item;
}

void JobFixture::Start(jobs::PageKind page, int32_t item) {
  ++started_;
  controller_->StartItem(page, item, items_.at(item));
}

bool JobFixture::WaitAll(int seconds) {
  return host_.RunUntil([this] { return static_cast<int>(finished_.size()) >= started_; },
                        std::chrono::seconds(seconds));
}

jobs::FinishedRecord JobFixture::RunOne(jobs::PageKind page, const std::string& path) {
  const int32_t item = Add(page, path);
  Start(page, item);
  EXPECT_TRUE(WaitAll()) << "the item did not end";
  return finished_.empty() ? jobs::FinishedRecord{} : finished_.back();
}

jobs::HeadlessHost::Element JobFixture::ElementOf(jobs::PageKind page, int32_t item) const {
  return host_.GetElement(jobs::NamesOf(page).list, item).value_or(jobs::HeadlessHost::Element{});
}

std::vector<float> Decode(const std::string& path) {
  const std::string raw = path + ".f32";
  if (testing_support::RunProgram("ffmpeg", {"-y", "-v", "error", "-i", path, "-f", "f32le", "-ac", "1", "-ar", "44100", raw})
          .exit_code != 0) {
    return {};
  }
  const std::string bytes = testing_support::ReadFile(raw);
  std::vector<float> samples(bytes.size() / 4);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 4);
  std::filesystem::remove(raw);
  return samples;
}

double DurationOf(const std::string& path) {
  const std::string text = Probe(path, "format=duration", "default=nw=1:nk=1");
  return text.empty() ? -1.0 : std::stod(text);
}

std::string Probe(const std::string& path, const std::string& entries, const std::string& format) {
  return testing_support::RunProgram("ffprobe", {"-v", "error", "-show_entries", entries, "-of", format, path}).output;
}

double ToneFrequency(const std::vector<float>& samples, size_t from, size_t to) {
  to = std::min(to, samples.size());
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
  }
  return to > from ? crossings / 2.0 / ((to - from) / 44100.0) : 0.0;
}

}  // namespace jobs_e2e
