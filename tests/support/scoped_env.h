#ifndef TESTS_SUPPORT_SCOPED_ENV_H_
#define TESTS_SUPPORT_SCOPED_ENV_H_

#include <stdlib.h>

#include <optional>
#include <string>

namespace testing_support {

// Sets an environment variable for one scope; an empty value unsets it.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    value.empty() ? unsetenv(name) : setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_SCOPED_ENV_H_
