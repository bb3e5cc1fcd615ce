#ifndef TENSORFLOW_CORE_LIB_CORE_STATUS_H_
#define TENSORFLOW_CORE_LIB_CORE_STATUS_H_
#include "tensorflow/core/platform/status.h"
#endif  // TENSORFLOW_CORE_LIB_CORE_STATUS_H_
