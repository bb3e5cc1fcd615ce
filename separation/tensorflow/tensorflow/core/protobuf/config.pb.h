// Stand-in for the few configuration messages the engine sets. The TorchScript runtime behind
// this stand-in has no use for them; they are kept so the engine compiles unchanged.
#ifndef TENSORFLOW_CORE_PROTOBUF_CONFIG_PB_H_
#define TENSORFLOW_CORE_PROTOBUF_CONFIG_PB_H_

#include <memory>

namespace tensorflow {

class ConfigProto {
 public:
  void Clear() {}
};

class RunOptions_Experimental {
 public:
  bool use_run_handler_pool() const { return use_run_handler_pool_; }
  void set_use_run_handler_pool(bool value) { use_run_handler_pool_ = value; }

 private:
  bool use_run_handler_pool_ = false;
};

class RunOptions {
 public:
  RunOptions() = default;
  RunOptions(const RunOptions& other)
      : experimental_(other.experimental_ ? std::make_unique<RunOptions_Experimental>(*other.experimental_)
                                          : nullptr) {}
  RunOptions& operator=(const RunOptions& other) {
    if (this != &other) *this = RunOptions(other);
    return *this;
  }
  RunOptions(RunOptions&&) = default;
  RunOptions& operator=(RunOptions&&) = default;

  bool has_experimental() const { return experimental_ != nullptr; }
  RunOptions_Experimental* mutable_experimental() {
    if (!experimental_) experimental_ = std::make_unique<RunOptions_Experimental>();
    return experimental_.get();
  }

 private:
  std::unique_ptr<RunOptions_Experimental> experimental_;
};

}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_PROTOBUF_CONFIG_PB_H_
