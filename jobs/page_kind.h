// The seven tool pages and the names of the controls the jobs touch on each.
#ifndef JOBS_PAGE_KIND_H_
#define JOBS_PAGE_KIND_H_

#include <cstdint>
#include <optional>
#include <string>

namespace jobs {

enum PageKind : int32_t {
  Extract = 0,
  Pitch = 1,
  Tempo = 2,
  Silence = 3,
  Compress = 4,
  Reverse = 5,
  Metadata = 6,
};
constexpr int kPageCount = 7;

struct PageNames {
  const char* option;          // the page's option in the navigation bar
  const char* list;            // its task list
  const char* format;          // its output-format combo
  const char* start_button;    // inside each list element
  const char* menu_button;     // inside each list element
  const char* progress;        // inside each list element
  const char* add_button;
  const char* element_skin;    // the list element's skin file
};

const PageNames& NamesOf(PageKind page);
// Parses a page's short name ("extract", "pitch", … "metadata").
std::optional<PageKind> PageFromName(const std::string& name);
const char* ShortName(PageKind page);

// Names inside every list element.
constexpr char kStatusSuccess[] = "status-sucess";
constexpr char kStatusFailed[] = "status-failed";

// The list element of an item: "item-%d".
std::string ElementName(int32_t item);

}  // namespace jobs

#endif  // JOBS_PAGE_KIND_H_
