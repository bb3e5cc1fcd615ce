#ifndef TESTS_SUPPORT_MESSAGE_OF_H_
#define TESTS_SUPPORT_MESSAGE_OF_H_

#include <gtest/gtest.h>

#include <exception>
#include <string>

namespace testing_support {

// Runs `f`, which must throw an E, and returns its what(); a test failure when nothing
// (or something else) is thrown.
template <typename E = std::exception, typename F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  ADD_FAILURE() << "nothing thrown";
  return "";
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_MESSAGE_OF_H_
