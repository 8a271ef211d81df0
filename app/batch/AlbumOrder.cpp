#include "AlbumOrder.h"

#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <algorithm>

#include "NaturalOrder.h"

namespace AlbumOrder {

namespace {

struct Position {
  int disc = 1;
  int track = 0;  // 0: none
};

// "3" and "3/12" both give 3; anything else gives 0.
int LeadingNumber(const TagLib::PropertyMap& properties, const char* key) {
  auto found = properties.find(key);
  if (found == properties.end() || found->second.isEmpty()) return 0;
  std::wstring text = found->second.front().toWString();
  int value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    value = value * 10 + (c - L'0');
    if (value > 1000000) return 0;
  }
  return value;
}

Position ReadPosition(const KString& path) {
  Position position;
  TagLib::MPEG::File file(static_cast<const wchar_t*>(path), false);
  if (!file.isValid()) return position;
  TagLib::PropertyMap properties = file.properties();
  position.track = LeadingNumber(properties, "TRACKNUMBER");
  int disc = LeadingNumber(properties, "DISCNUMBER");
  if (disc > 0) position.disc = disc;
  return position;
}

bool ByPath(const KString& a, const KString& b) { return NaturalOrder::Less(a, b); }

}  // namespace

void Sort(std::vector<KString>* files, BusyPump* pump) {
  std::stable_sort(files->begin(), files->end(), ByPath);
  std::vector<Position> positions;
  positions.reserve(files->size());
  for (const KString& path : *files) {
    positions.push_back(ReadPosition(path));
    if (positions.back().track == 0) return;
    if (pump) pump->KeepResponsive(positions.size());
  }
  std::vector<size_t> order(files->size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&positions](size_t a, size_t b) {
    if (positions[a].disc != positions[b].disc) return positions[a].disc < positions[b].disc;
    return positions[a].track < positions[b].track;
  });
  std::vector<KString> sorted;
  sorted.reserve(files->size());
  for (size_t index : order) sorted.push_back((*files)[index]);
  *files = sorted;
}

}  // namespace AlbumOrder
