// Stand-in for the TensorFlow session: runs a loaded model on named inputs and fetches named
// outputs.
#ifndef TENSORFLOW_CORE_PUBLIC_SESSION_H_
#define TENSORFLOW_CORE_PUBLIC_SESSION_H_

#include <string>
#include <utility>
#include <vector>

#include "tensorflow/core/framework/tensor.h"
#include "tensorflow/core/platform/status.h"

namespace tensorflow {

class Session {
 public:
  virtual ~Session() = default;

  // Feeds `inputs` (name, tensor), runs the model once and stores the tensors named in
  // `output_tensor_names`, in that order, in `*outputs`. Target nodes are not supported and
  // must be empty. On failure `*outputs` is left empty and the status says which name or
  // shape was refused.
  virtual Status Run(const std::vector<std::pair<std::string, Tensor>>& inputs,
                     const std::vector<std::string>& output_tensor_names,
                     const std::vector<std::string>& target_node_names,
                     std::vector<Tensor>* outputs) = 0;

  virtual Status Close() { return Status::OK(); }
};

}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_PUBLIC_SESSION_H_
