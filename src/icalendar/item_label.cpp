// item_label: Warn, a warning about an item, named by its label.

#include <cstdio>

#include "calendar_parts.h"

namespace ical {

void Warn(const BookItem& csvd, const std::string& szWhat) {
  std::fprintf(stderr, "%s: %s.\n", ItemLabel(csvd).c_str(), szWhat.c_str());
}

}  // namespace ical
