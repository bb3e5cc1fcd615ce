#ifndef TESTS_SUPPORT_TEMP_DIR_H_
#define TESTS_SUPPORT_TEMP_DIR_H_

#include <set>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// Writes `bytes` to each of `names` below `root`, creating their folders first.
void WriteFiles(const std::string& root, const std::vector<std::string>& names, const std::string& bytes = "x");
// The names of the entries of `dir`; none when it cannot be listed.
std::set<std::string> EntryNames(const std::string& dir);

}  // namespace testing_support

#endif  // TESTS_SUPPORT_TEMP_DIR_H_
