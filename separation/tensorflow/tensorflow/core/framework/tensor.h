// Stand-in for the TensorFlow tensor: a float buffer with a shape. Copies share the buffer,
// as TensorFlow's reference-counted tensors do.
#ifndef TENSORFLOW_CORE_FRAMEWORK_TENSOR_H_
#define TENSORFLOW_CORE_FRAMEWORK_TENSOR_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "tensorflow/core/framework/tensor_shape.h"
#include "tensorflow/core/framework/types.pb.h"

namespace tensorflow {

// A flat view of a tensor's elements in memory order; valid while a tensor owning them lives.
template <typename T>
class FlatView {
 public:
  FlatView(T* data, int64_t size) : data_(data), size_(size) {}
  T* data() const { return data_; }
  int64_t size() const { return size_; }
  T& operator()(int64_t i) const { return data_[i]; }

 private:
  T* data_;
  int64_t size_;
};

class Tensor {
 public:
  // An empty tensor: type DT_INVALID, rank 0, no elements.
  Tensor() = default;
  // Allocates an uninitialised tensor of the given type and shape.
  Tensor(DataType type, const TensorShape& shape);
  // Wraps elements owned by `owner` (kept alive as long as any copy of this tensor).
  Tensor(const TensorShape& shape, std::shared_ptr<void> owner, float* data);

  DataType dtype() const { return dtype_; }
  const TensorShape& shape() const { return shape_; }
  int dims() const { return shape_.dims(); }
  int64_t dim_size(int d) const { return shape_.dim_size(d); }
  int64_t NumElements() const { return data_ ? shape_.num_elements() : 0; }
  bool IsInitialized() const { return dtype_ != DT_INVALID; }

  template <typename T>
  FlatView<T> flat() {
    static_assert(std::is_same<T, float>::value, "only float tensors are supported");
    return FlatView<T>(data_, NumElements());
  }
  template <typename T>
  FlatView<const T> flat() const {
    static_assert(std::is_same<T, float>::value, "only float tensors are supported");
    return FlatView<const T>(data_, NumElements());
  }

 private:
  DataType dtype_ = DT_INVALID;
  TensorShape shape_;
  std::shared_ptr<void> owner_;
  float* data_ = nullptr;
};

}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_FRAMEWORK_TENSOR_H_
