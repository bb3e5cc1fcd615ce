// Names a test that hangs and shows where each thread of the suite stands, then ends the suite,
// so that a hang on a build machine explains itself instead of running into the job's limit.
#ifndef TESTS_SUPPORT_HANG_WATCHDOG_H_
#define TESTS_SUPPORT_HANG_WATCHDOG_H_

#include <chrono>

namespace testing_support {

// Call after InitGoogleTest: any one test that runs longer than `limit` aborts the suite after
// printing its name and every thread's stack (through gdb, where installed); the program's own
// set-up and teardown count as one test each.
void InstallHangWatchdog(std::chrono::seconds limit);

}  // namespace testing_support

#endif  // TESTS_SUPPORT_HANG_WATCHDOG_H_
