#ifndef TENSORFLOW_CORE_FRAMEWORK_TENSOR_SHAPE_H_
#define TENSORFLOW_CORE_FRAMEWORK_TENSOR_SHAPE_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tensorflow {

// The dimension sizes of a tensor, outermost first. A shape of rank 0 is a scalar.
class TensorShape {
 public:
  TensorShape() = default;
  TensorShape(std::initializer_list<int64_t> dims) : dims_(dims) {}
  explicit TensorShape(std::vector<int64_t> dims) : dims_(std::move(dims)) {}

  int dims() const { return static_cast<int>(dims_.size()); }
  int64_t dim_size(int d) const { return dims_.at(static_cast<size_t>(d)); }
  // Product of the dimension sizes (1 for a scalar).
  int64_t num_elements() const;
  const std::vector<int64_t>& dim_sizes() const { return dims_; }
  // "[2,3]" style text for messages.
  std::string DebugString() const;

 private:
  std::vector<int64_t> dims_;
};

}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_FRAMEWORK_TENSOR_SHAPE_H_
