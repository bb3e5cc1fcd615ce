// Runs the pages' jobs through the headless host on media the tests make with ffmpeg, and
// measures what comes out.
#ifndef TESTS_JOBS_E2E_JOB_FIXTURE_H_
#define TESTS_JOBS_E2E_JOB_FIXTURE_H_

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "jobs/headless_host.h"
#include "jobs/job_controller.h"
#include "tests/support/temp_dir.h"

namespace jobs_e2e {

class JobFixture : public ::testing::Test {
 public:
  JobFixture();
  ~JobFixture() override;

  // Makes a media file with ffmpeg (arguments before the output) and returns its path.
  std::string Make(const std::string& name, const std::vector<std::string>& args);
  // Adds `path` as a new item of `page` and returns its number.
  int32_t Add(jobs::PageKind page, const std::string& path);
  void Start(jobs::PageKind page, int32_t item);
  // Runs the message loop until every started item has ended (false on a time-out).
  bool WaitAll(int seconds = 120);
  // Starts one item, waits for it and returns its end record.
  jobs::FinishedRecord RunOne(jobs::PageKind page, const std::string& path);
  // Every page's result format.
  void SetFormats(const std::string& format);
  // Rebuilds the controller with the environment as changed by the test.
  void Rebuild();

  jobs::HeadlessHost::Element ElementOf(jobs::PageKind page, int32_t item) const;

  testing_support::TempDir dir_;
  std::string out_dir_, temp_dir_;
  jobs::JobEnvironment env_;
  jobs::HeadlessHost host_;
  std::unique_ptr<jobs::JobController> controller_;
  std::map<int32_t, jobs::TaskItem> items_;
  std::vector<jobs::FinishedRecord> finished_;
  int32_t next_item_ = 0;
  int started_ = 0;
};

// Audio decoded to 44.1 kHz mono floats.
std::vector<float> Decode(const std::string& path);
// Seconds of audio in a file, as ffprobe reports the container.
double DurationOf(const std::string& path);
// ffprobe's text for the given -show_entries argument, e.g. "format_tags".
std::string Probe(const std::string& path, const std::string& entries, const std::string& format = "default=nw=1");
// Frequency of a tone from its zero crossings over samples [from, to).
double ToneFrequency(const std::vector<float>& samples, size_t from, size_t to);

}  // namespace jobs_e2e

#endif  // TESTS_JOBS_E2E_JOB_FIXTURE_H_
