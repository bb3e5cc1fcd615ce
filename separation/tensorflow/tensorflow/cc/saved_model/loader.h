// Stand-in for the TensorFlow saved-model loader, over TorchScript.
//
// A model folder holds "saved_model.torchscript". Each tag names a method of the scripted
// module; the session runs the method of the first tag, which takes the single fed tensor and
// returns a Dict[str, Tensor] from which the fetched names are taken.
#ifndef TENSORFLOW_CC_SAVED_MODEL_LOADER_H_
#define TENSORFLOW_CC_SAVED_MODEL_LOADER_H_

#include <memory>
#include <string>
#include <unordered_set>

#include "tensorflow/core/platform/status.h"
#include "tensorflow/core/protobuf/config.pb.h"
#include "tensorflow/core/public/session.h"
#include "tensorflow/core/public/session_options.h"

namespace tensorflow {

// File name of the scripted model inside a saved-model folder.
constexpr char kSavedModelFilename[] = "saved_model.torchscript";

struct SavedModelBundle {
  std::unique_ptr<Session> session;
};

// Loads the model of `export_dir` into `bundle->session`. A missing folder or file, a file
// that is not a scripted module, or a tag without a method of that name gives a non-OK status
// naming the folder and what was missing; the bundle then has no session.
Status LoadSavedModel(const SessionOptions& session_options, const RunOptions& run_options,
                      const std::string& export_dir, const std::unordered_set<std::string>& tags,
                      SavedModelBundle* bundle);

}  // namespace tensorflow

#endif  // TENSORFLOW_CC_SAVED_MODEL_LOADER_H_
