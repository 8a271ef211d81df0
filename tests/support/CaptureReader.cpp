#include "CaptureReader.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSilenceLevel = 4;  // a little above rounding noise
constexpr int kPollMs = 50;
// Sound counts as over once this much silence follows it.
constexpr size_t kTrailingSilenceFrames = 44100 / 4;

long long FileSize(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  _fseeki64(file, 0, SEEK_END);
  long long size = _ftelli64(file);
  std::fclose(file);
  return size;
}

bool IsSound(int16_t sample) { return std::abs(sample) > kSilenceLevel; }

}  // namespace

CaptureReader::CaptureReader(const std::string& path)
    : path_(path), offset_(FileSize(path) & ~3LL) {}

std::vector<int16_t> CaptureReader::ReadNew() {
  std::vector<int16_t> samples;
  FILE* file = std::fopen(path_.c_str(), "rb");
  if (!file) return samples;
  _fseeki64(file, offset_, SEEK_SET);
  int16_t buffer[8192];
  size_t got;
  while ((got = std::fread(buffer, 4, sizeof buffer / 4, file)) > 0) {
    samples.insert(samples.end(), buffer, buffer + got * 2);
    offset_ += static_cast<long long>(got) * 4;
  }
  std::fclose(file);
  return samples;
}

std::vector<int16_t> CaptureReader::WaitForSound(size_t minFrames, int timeoutMs) {
  std::vector<int16_t> all;
  size_t first = SIZE_MAX, last = 0;
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    std::vector<int16_t> fresh = ReadNew();
    size_t base = all.size();
    all.insert(all.end(), fresh.begin(), fresh.end());
    for (size_t i = base; i < all.size(); ++i) {
      if (!IsSound(all[i])) continue;
      if (first == SIZE_MAX) first = i & ~size_t{1};
      last = i | 1;
    }
    bool enough = first != SIZE_MAX && (last - first) / 2 >= minFrames;
    if (enough && (all.size() - last) / 2 >= kTrailingSilenceFrames) break;
    Sleep(kPollMs);
  }
  if (first == SIZE_MAX) return {};
  return std::vector<int16_t>(all.begin() + first, all.begin() + last + 1);
}

bool CaptureReader::WaitUntilSoundStarts(int timeoutMs) const {
  CaptureReader peek(*this);
  for (int waited = 0; waited <= timeoutMs; waited += kPollMs) {
    for (int16_t sample : peek.ReadNew())
      if (IsSound(sample)) return true;
    Sleep(kPollMs);
  }
  return false;
}
