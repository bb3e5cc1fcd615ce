// Which files a tool page takes, and the expansion of dropped or named folders into them.
#ifndef JOBS_MEDIA_FILES_H_
#define JOBS_MEDIA_FILES_H_

#include <cstddef>
#include <string>
#include <vector>

#include "jobs/page_kind.h"

namespace jobs {

// The page's file types as the open-file dialog's patterns: "*.mp3;*.aac;…".
const char* MediaPatterns(PageKind page);
// Whether a file name (not a path) matches one of the page's patterns, ignoring case.
bool IsMediaFileName(PageKind page, const std::string& name);

// Name order for listings: case-insensitive, runs of digits by their value ("2" before "10"),
// ties broken bytewise so the order is total.
bool NameLess(const std::string& a, const std::string& b);

struct MediaFiles {
  std::vector<std::string> files;  // absolute paths, in the order they are to be added
  size_t skipped = 0;              // regular files passed over as not of the page's types
};

// What to do with a file named directly (not found inside a folder).
enum class NamedFiles {
  kFilter,  // like the files inside folders: the page's types only
  kKeep,    // the caller asked for it: taken whatever its name, even when it does not exist
};

// Expands `paths` for `page`, in their order: a file stands for itself, a folder for the media
// files below it, recursively, each folder's entries in name order. Hidden entries (names
// starting with ".") inside folders are passed over, as is a folder already visited (device and
// inode), so link loops and two links to one folder end. Unreadable folders, and missing
// paths unless kept, are passed over and not counted. Thread-safe; touches only the file system.
MediaFiles ExpandMediaPaths(PageKind page, const std::vector<std::string>& paths,
                            NamedFiles named = NamedFiles::kFilter);

}  // namespace jobs

#endif  // JOBS_MEDIA_FILES_H_
