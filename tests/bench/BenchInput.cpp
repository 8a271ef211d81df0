#include "BenchInput.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "Mp3FileWriter.h"
#include "TestSignals.h"

BenchInput::BenchInput(const std::string& folder, int seconds)
    : path_(folder + "\\music_" + std::to_string(seconds) + "s_320k.mp3"), seconds_(seconds) {}

// Written under a temporary name and renamed at the end, so an interrupted
// run never leaves a short file under the real name.
bool BenchInput::Prepare() const {
  if (GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  std::string partial = path_ + ".part";
  Mp3FileWriter writer;
  bool ok = writer.Open(partial, TestSignals::kRate, 2, 320);
  uint32_t noise = TestSignals::kMusicNoiseSeed;
  std::vector<int16_t> piece;
  for (int second = 0; ok && second < seconds_; ++second) {
    TestSignals::MusicLikePiece(static_cast<int64_t>(second) * TestSignals::kRate,
                                TestSignals::kRate, noise, piece);
    ok = writer.Append(piece);
  }
  ok = writer.Finish() && ok;
  return ok && MoveFileExA(partial.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}
