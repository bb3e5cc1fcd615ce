#ifndef TENSORFLOW_CORE_PUBLIC_SESSION_OPTIONS_H_
#define TENSORFLOW_CORE_PUBLIC_SESSION_OPTIONS_H_

#include "tensorflow/core/protobuf/config.pb.h"

namespace tensorflow {

struct SessionOptions {
  ConfigProto config;
};

}  // namespace tensorflow

#endif  // TENSORFLOW_CORE_PUBLIC_SESSION_OPTIONS_H_
