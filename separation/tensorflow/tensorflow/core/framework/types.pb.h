#ifndef TENSORFLOW_CORE_FRAMEWORK_TYPES_PB_H_
#define TENSORFLOW_CORE_FRAMEWORK_TYPES_PB_H_

namespace tensorflow {
// Only the element type the separation engine exchanges is supported.
enum DataType { DT_INVALID = 0, DT_FLOAT = 1 };
}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_FRAMEWORK_TYPES_PB_H_
