#include <glog/logging.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  FLAGS_logtostderr = true;
  google::InitGoogleLogging(argv[0]);
  return RUN_ALL_TESTS();
}
