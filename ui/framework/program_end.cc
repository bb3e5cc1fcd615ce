#include "ui/framework/program_end.h"

#include <QCoreApplication>

namespace ui {
namespace {

std::function<void(int)>& EndHook() {
  static std::function<void(int)> end = [](int code) { QCoreApplication::exit(code); };
  return end;
}

}  // namespace

void EndProgram(int code) { EndHook()(code); }

void SetEndProgram(std::function<void(int)> end) {
  EndHook() = end ? std::move(end) : [](int code) { QCoreApplication::exit(code); };
}

}  // namespace ui
