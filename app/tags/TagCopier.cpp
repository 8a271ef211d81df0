#include "TagCopier.h"

#include <string>

#include "ApeTagRewriter.h"
#include "BlockFile.h"
#include "Id3v2Rewriter.h"

using TagLib::ByteVector;

namespace {

// Beside the program's temporary file and named like one, so that the
// clean-up of a later conversion removes it should the program be killed.
const wchar_t kTaggedSuffix[] = L".tagged.tmp";

// From the end of the front tag to the output's appended ID3v2 tag (for
// SEEK): the audio and the blocks before that tag; -1 when there is none.
int64_t ToAppendedTag(const std::vector<TagBlocks::Block>& end, int64_t audioBytes) {
  int64_t distance = audioBytes;
  for (const TagBlocks::Block& block : end) {
    if (block.kind == TagBlocks::Kind::Id3v2) return distance;
    distance += block.bytes.size();
  }
  return -1;
}

bool Appended(BlockFile& file, const ByteVector& front, BlockFile& audio, int64_t audioBytes,
              const std::vector<TagBlocks::Block>& end) {
  if (!file.Append(front) || !file.AppendFrom(audio, 0, audioBytes)) return false;
  for (const TagBlocks::Block& block : end) {
    if (!file.Append(block.bytes)) return false;
  }
  return true;
}

// Every byte read back: the tags, and between them the audio, whole.
bool ReadsBack(BlockFile& file, const ByteVector& front, BlockFile& audio, int64_t audioBytes,
               const std::vector<TagBlocks::Block>& end) {
  int64_t at = front.size() + audioBytes;
  if (!file.Holds(0, front) || !file.HoldsFrom(front.size(), audio, 0, audioBytes)) return false;
  for (const TagBlocks::Block& block : end) {
    if (!file.Holds(at, block.bytes)) return false;
    at += block.bytes.size();
  }
  return file.HasSize(at);
}

}  // namespace

bool TagCopier::ReadFrom(const wchar_t* input) {
  BlockFile file;
  readError = file.OpenToRead(input) ? blocks.Read(file) : file.Error();
  return readError == ERROR_SUCCESS;
}

bool TagCopier::NeedsLoudness() const {
  if (Id3v2Rewriter::NeedsMeasuring(blocks.Front())) return true;
  for (const TagBlocks::Block& block : blocks.End()) {
    bool id3v2 = block.kind == TagBlocks::Kind::Id3v2;
    if (id3v2 && Id3v2Rewriter::NeedsMeasuring(block.bytes)) return true;
    if (block.kind == TagBlocks::Kind::Ape && ApeTagRewriter::NeedsMeasuring(block.bytes)) {
      return true;
    }
  }
  return false;
}

// The blocks after the audio first: the front tag's SEEK points at what
// the output has after its audio.
DWORD TagCopier::Render(int64_t audioBytes, OutputFacts facts, Rendered* tags) const {
  facts.toNextTag = -1;  // an appended tag is the last ID3v2 tag
  for (const TagBlocks::Block& block : blocks.End()) {
    DWORD rendered = RenderEnd(block, facts, tags);
    if (rendered != ERROR_SUCCESS) return rendered;
  }
  if (blocks.Front().isEmpty()) return ERROR_SUCCESS;
  facts.toNextTag = ToAppendedTag(tags->end, audioBytes);
  Id3v2Rewriter::Result front = Id3v2Rewriter::Rewrite(blocks.Front(), facts, &tags->front);
  return front == Id3v2Rewriter::Result::Damaged ? ERROR_INVALID_DATA : ERROR_SUCCESS;
}

// ID3v2 and APEv2 as their rewriters make them, the rest as it is.
DWORD TagCopier::RenderEnd(const TagBlocks::Block& block, const OutputFacts& facts,
                           Rendered* tags) {
  TagBlocks::Block written = {block.kind, ByteVector()};
  switch (block.kind) {
    case TagBlocks::Kind::Ape:
      if (ApeTagRewriter::Rewrite(block.bytes, facts.loudness, &written.bytes) !=
          ApeTagRewriter::Result::Written) {
        return ERROR_INVALID_DATA;
      }
      break;
    case TagBlocks::Kind::Id3v2:
      switch (Id3v2Rewriter::Rewrite(block.bytes, facts, &written.bytes)) {
        case Id3v2Rewriter::Result::Written:
          break;
        case Id3v2Rewriter::Result::Nothing:
          return ERROR_SUCCESS;
        case Id3v2Rewriter::Result::Damaged:
          return ERROR_INVALID_DATA;
      }
      break;
    default:
      written.bytes = block.bytes;
      break;
  }
  tags->end.push_back(written);
  return ERROR_SUCCESS;
}

DWORD TagCopier::WriteTo(const wchar_t* output, const TagTiming& timing,
                         const TrackLoudness& loudness) const {
  if (readError != ERROR_SUCCESS) return readError;
  if (blocks.IsEmpty()) return ERROR_SUCCESS;
  BlockFile audio;
  int64_t audioBytes = audio.OpenOwnToRead(output) ? audio.Size() : -1;
  if (audioBytes < 0) return audio.Error();
  Rendered tags;
  DWORD rendered = Render(audioBytes, OutputFacts{timing, loudness, -1}, &tags);
  if (rendered != ERROR_SUCCESS) return rendered;
  if (tags.front.isEmpty() && tags.end.empty()) return ERROR_SUCCESS;
  std::wstring tagged = std::wstring(output) + kTaggedSuffix;
  DWORD error = WriteTagged(tagged.c_str(), audio, audioBytes, tags);
  audio.Close();
  if (error == ERROR_SUCCESS && !MoveFileExW(tagged.c_str(), output, MOVEFILE_REPLACE_EXISTING)) {
    error = GetLastError();
  }
  if (error != ERROR_SUCCESS) DeleteFileW(tagged.c_str());
  return error;
}

DWORD TagCopier::WriteTagged(const wchar_t* path, BlockFile& audio, int64_t audioBytes,
                             const Rendered& tags) {
  BlockFile file;
  if (!file.Create(path)) return file.Error();
  bool written = Appended(file, tags.front, audio, audioBytes, tags.end) &&
                 ReadsBack(file, tags.front, audio, audioBytes, tags.end);
  return written ? ERROR_SUCCESS : file.Error();
}
