// The saved-model loader and session of the stand-in, over libtorch's TorchScript runtime.
#include <ATen/Parallel.h>
#include <torch/script.h>

#include <malloc.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "tensorflow/cc/saved_model/loader.h"

namespace tensorflow {
namespace {

// One line of a runtime error for a status message: the error itself, without the trace that
// the TorchScript interpreter puts before it.
std::string Summary(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (lines.empty()) return text;
  if (lines.front().rfind("The following operation failed", 0) == 0) return lines.back();
  return lines.front();
}

bool CpuHasFastBfloat16() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  return __builtin_cpu_supports("avx512bf16");
#else
  return false;
#endif
}

// On a CPU with bf16 dot products the network runs about three times faster in bfloat16, for
// under 0.01 dB; the model casts its features to the type of its "net". Elsewhere bf16 is
// slower or missing, so the float weights stay. A probe on a short input falls back to float
// where this libtorch cannot run it. VANTU_MODEL_FLOAT32=1 keeps float everywhere.
void UseBfloat16WhereFast(torch::jit::Module& module, const std::string& method) {
  const char* forced = std::getenv("VANTU_MODEL_FLOAT32");
  if ((forced != nullptr && *forced != '\0' && std::string(forced) != "0") || !CpuHasFastBfloat16() ||
      !module.hasattr("net") || !module.attr("net").isModule()) {
    return;
  }
  torch::jit::Module net = module.attr("net").toModule();
  net.to(torch::kBFloat16);
  try {
    c10::InferenceMode inference;
    module.get_method(method)({torch::zeros({4096, 2})});
  } catch (const std::exception&) {
    net.to(torch::kFloat);
  }
}

// A run allocates and frees buffers of tens of MB for every segment of the song. glibc serves
// blocks that large with mmap and unmaps them when freed, so each segment faults every page
// in again: about half the time of a run. While any run is in progress they come from the
// heap and stay there for the next segment; after the last one the free pages go back.
class HeapKeptDuringRuns {
 public:
  HeapKeptDuringRuns() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (runs_++ == 0) {
      mallopt(M_MMAP_MAX, 0);
      mallopt(M_TRIM_THRESHOLD, INT_MAX);
    }
  }
  ~HeapKeptDuringRuns() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (--runs_ == 0) {
      // glibc's defaults.
      mallopt(M_MMAP_MAX, 65536);
      mallopt(M_TRIM_THRESHOLD, 128 * 1024);
      malloc_trim(0);
    }
  }
  HeapKeptDuringRuns(const HeapKeptDuringRuns&) = delete;
  HeapKeptDuringRuns& operator=(const HeapKeptDuringRuns&) = delete;

 private:
  static inline std::mutex mutex_;
  static inline int runs_ = 0;
};

class TorchSession : public Session {
 public:
  TorchSession(torch::jit::Module module, std::string method)
      : module_(std::move(module)), method_(std::move(method)) {}

  Status Run(const std::vector<std::pair<std::string, Tensor>>& inputs,
             const std::vector<std::string>& output_tensor_names,
             const std::vector<std::string>& target_node_names, std::vector<Tensor>* outputs) override {
    outputs->clear();
    if (!target_node_names.empty()) {
      return errors::InvalidArgument("target nodes are not supported by this runtime");
    }
    torch::jit::Method method = module_.get_method(method_);
    const auto& arguments = method.function().getSchema().arguments();
    // arguments()[0] is the module itself.
    if (arguments.size() != 2) {
      return errors::Internal("the model's '" + method_ + "' does not take exactly one tensor");
    }
    const std::string& input_name = arguments[1].name();
    if (inputs.size() != 1) {
      return errors::InvalidArgument("the model takes exactly one input, '" + input_name + "'; " +
                                     std::to_string(inputs.size()) + " were fed");
    }
    if (inputs[0].first != input_name) {
      return errors::InvalidArgument("Tensor name '" + inputs[0].first +
                                     "' is not an input of the model (its input is '" + input_name + "')");
    }
    const Tensor& fed = inputs[0].second;
    if (fed.dtype() != DT_FLOAT) {
      return errors::InvalidArgument("the tensor fed as '" + input_name + "' is not a float tensor");
    }

    std::vector<Tensor> fetched;
    HeapKeptDuringRuns heap;
    try {
      c10::InferenceMode inference;
      // The model only reads its input, so the fed buffer is shared rather than copied. The copy of
      // the fed tensor in the deleter keeps that buffer alive for an output that is a view of it,
      // after the caller has let go of its input.
      at::Tensor input = torch::from_blob(
          const_cast<float*>(fed.flat<float>().data()), fed.shape().dim_sizes(), [keep = fed](void*) {},
          torch::kFloat);
      c10::IValue result = method({input});
      if (!result.isGenericDict()) {
        return errors::Internal("the model's '" + method_ + "' did not return a dictionary of tensors");
      }
      const c10::Dict<c10::IValue, c10::IValue> dict = result.toGenericDict();
      for (const std::string& name : output_tensor_names) {
        auto it = dict.find(name);
        if (it == dict.end() || !it->value().isTensor()) {
          std::string available;
          for (const auto& entry : dict) {
            if (!available.empty()) available += ", ";
            available += entry.key().toStringRef();
          }
          return errors::NotFound("Tensor name '" + name + "' not found in the model's outputs (available: " +
                                  available + ")");
        }
        auto held = std::make_shared<at::Tensor>(it->value().toTensor().to(torch::kFloat).contiguous());
        float* data = held->data_ptr<float>();
        fetched.emplace_back(TensorShape(held->sizes().vec()), held, data);
      }
    } catch (const c10::Error& e) {
      return errors::InvalidArgument("the model refused the input of shape " + fed.shape().DebugString() + ": " +
                                     Summary(e.what_without_backtrace()));
    } catch (const std::exception& e) {
      return errors::InvalidArgument("the model refused the input of shape " + fed.shape().DebugString() + ": " +
                                     Summary(e.what()));
    }
    *outputs = std::move(fetched);
    return Status::OK();
  }

 private:
  torch::jit::Module module_;
  std::string method_;
};

}  // namespace

Status LoadSavedModel(const SessionOptions& /*session_options*/, const RunOptions& /*run_options*/,
                      const std::string& export_dir, const std::unordered_set<std::string>& tags,
                      SavedModelBundle* bundle) {
  namespace fs = std::filesystem;
  bundle->session.reset();
  std::error_code ec;
  if (!fs::is_directory(export_dir, ec)) {
    return errors::NotFound("the model folder '" + export_dir + "' does not exist");
  }
  const fs::path file = fs::path(export_dir) / kSavedModelFilename;
  if (!fs::is_regular_file(file, ec)) {
    return errors::NotFound(std::string("the model folder '") + export_dir + "' holds no '" +
                            kSavedModelFilename + "'");
  }
  if (tags.size() != 1) {
    return errors::InvalidArgument("exactly one tag is supported, " + std::to_string(tags.size()) + " given");
  }
  const std::string& tag = *tags.begin();

  torch::jit::Module module;
  try {
    module = torch::jit::load(file.string());
  } catch (const c10::Error& e) {
    return errors::DataLoss("'" + file.string() + "' is not a readable TorchScript model: " +
                            Summary(e.what_without_backtrace()));
  } catch (const std::exception& e) {
    return errors::DataLoss("'" + file.string() + "' could not be read: " + Summary(e.what()));
  }
  if (!module.find_method(tag)) {
    return errors::NotFound("the model in '" + export_dir + "' has no method for the tag '" + tag + "'");
  }
  module.eval();
  UseBfloat16WhereFast(module, tag);
  const unsigned cores = std::thread::hardware_concurrency();
  at::set_num_threads(cores > 0 ? static_cast<int>(cores) : 1);
  bundle->session = std::make_unique<TorchSession>(std::move(module), tag);
  return Status::OK();
}

}  // namespace tensorflow
