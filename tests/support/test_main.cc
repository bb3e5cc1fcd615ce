#include <glog/logging.h>
#include <gtest/gtest.h>

#include "tests/support/hang_watchdog.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing_support::InstallHangWatchdog(std::chrono::seconds(300));
  FLAGS_logtostderr = true;
  google::InitGoogleLogging(argv[0]);
  return RUN_ALL_TESTS();
}
