#pragma once

#include <vector>

#include "BusyPump.h"
#include "KString.h"

// The order in which a batch's files are converted or played: by the tags'
// disc and track numbers when every file has a track number (a missing disc
// number counts as the first disc), else by the full path in natural order.
// Files with the same numbers keep the natural order between them.
namespace AlbumOrder {

void Sort(std::vector<KString>* files, BusyPump* pump);

}  // namespace AlbumOrder
