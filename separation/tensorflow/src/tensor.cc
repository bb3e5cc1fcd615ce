#include "tensorflow/core/framework/tensor.h"

#include <stdexcept>

namespace tensorflow {

int64_t TensorShape::num_elements() const {
  int64_t n = 1;
  for (int64_t d : dims_) n *= d;
  return n;
}

std::string TensorShape::DebugString() const {
  std::string s = "[";
  for (size_t i = 0; i < dims_.size(); ++i) {
    if (i) s += ",";
    s += std::to_string(dims_[i]);
  }
  return s + "]";
}

Tensor::Tensor(DataType type, const TensorShape& shape) : dtype_(type), shape_(shape) {
  if (type != DT_FLOAT) throw std::invalid_argument("only DT_FLOAT tensors are supported");
  for (int64_t d : shape.dim_sizes()) {
    if (d < 0) throw std::invalid_argument("negative dimension in tensor shape " + shape.DebugString());
  }
  // Left uninitialised on purpose: the caller fills it, and songs are large.
  std::shared_ptr<float> buffer(new float[static_cast<size_t>(shape.num_elements())],
                                std::default_delete<float[]>());
  data_ = buffer.get();
  owner_ = std::move(buffer);
}

Tensor::Tensor(const TensorShape& shape, std::shared_ptr<void> owner, float* data)
    : dtype_(DT_FLOAT), shape_(shape), owner_(std::move(owner)), data_(data) {}

}  // namespace tensorflow
