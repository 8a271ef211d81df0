#pragma once

#include <cstdint>
#include <vector>

#include <taglib/tbytevector.h>

class BlockFile;

// The tags of an MP3 file, each block exactly as the file stores it: the
// ID3v2 tag at its start, and the blocks after the audio in their order
// (an ID3v2.4 tag appended with its footer, APEv2, Lyrics3v2, ID3v1).
// Whatever lies between is audio.
class TagBlocks {
 public:
  enum class Kind { Id3v2, Ape, Lyrics3, Id3v1 };
  struct Block {
    Kind kind;
    TagLib::ByteVector bytes;
  };

  // False, with no blocks kept, when the file could not be read (its
  // Error() says why).
  bool Read(BlockFile& file);

  const TagLib::ByteVector& Front() const { return front; }
  const std::vector<Block>& End() const { return end; }
  bool IsEmpty() const { return front.isEmpty() && end.empty(); }

 private:
  bool ReadFront(BlockFile& file);
  bool ReadEnd(BlockFile& file, int64_t audioStart, int64_t fileEnd);
  // The block that ends at `at`, if there is one within the `room` after
  // the audio's start; its size in `size`. Only the `last` may be ID3v1.
  static bool FindBlockBefore(BlockFile& file, int64_t room, int64_t at, bool last, Block* block,
                              int64_t* size);

  TagLib::ByteVector front;
  std::vector<Block> end;
};
