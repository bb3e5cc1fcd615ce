#ifndef TESTS_SUPPORT_FILE_SIZE_LIMIT_H_
#define TESTS_SUPPORT_FILE_SIZE_LIMIT_H_

#include <signal.h>
#include <sys/resource.h>

namespace testing_support {

// A file-size limit for this process and the children it starts, lifted at the end. The
// process itself then gets EFBIG instead of SIGXFSZ, as the program does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t old_handler_;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_FILE_SIZE_LIMIT_H_
