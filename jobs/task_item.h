#ifndef JOBS_TASK_ITEM_H_
#define JOBS_TASK_ITEM_H_

#include <cstdint>
#include <string>

namespace jobs {

// One added input file. Paths are absolute, UTF-8.
struct TaskItem {
  std::string fileName;  // name with extension, no folder
  std::string filePath;  // folder, ending in "/"
  std::string fullPath;  // filePath + fileName
  uint64_t fileSize = 0;
};

// Builds the record for an absolute path.
TaskItem MakeTaskItem(const std::string& full_path, uint64_t size);

}  // namespace jobs

#endif  // JOBS_TASK_ITEM_H_
