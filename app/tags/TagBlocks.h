#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include <taglib/tbytevector.h>

class BlockFile;

// The tags of an MP3 file, each block exactly as the file stores it: the
// ID3v2 tag at its start, and the blocks after the audio in their order
// (an ID3v2 tag appended, with its footer or, where its header is found
// unambiguously, without; APEv2; Lyrics3 v1 and v2; the enhanced ID3v1
// block "TAG+"; ID3v1). Whatever lies between is audio.
class TagBlocks {
 public:
  enum class Kind { Id3v2, Ape, Lyrics3, Id3v1Extended, Id3v1 };
  struct Block {
    Kind kind;
    TagLib::ByteVector bytes;
  };

  // ERROR_SUCCESS, or why the tags cannot be had, with no blocks kept: the
  // file could not be read (the system's reason), or a block's size is
  // damaged (beyond the file, or beyond any sane tag: ERROR_INVALID_DATA;
  // it is never read into memory).
  DWORD Read(BlockFile& file);

  const TagLib::ByteVector& Front() const { return front; }
  const std::vector<Block>& End() const { return end; }
  bool IsEmpty() const { return front.isEmpty() && end.empty(); }

 private:
  enum class Found { Block, Nothing, Damaged };
  DWORD ReadFront(BlockFile& file);
  DWORD ReadEnd(BlockFile& file, int64_t audioStart, int64_t fileEnd);
  // The block that ends at `at`, if there is one within the `room` after
  // the audio's start. Only the `last` may be ID3v1.
  static Found FindBlockBefore(BlockFile& file, int64_t room, int64_t at, bool last, Block* block);
  // How long the block ending at `at` is, by its own marks; 0 for none, -1
  // for marks whose size cannot be.
  static int64_t SizeByMarks(BlockFile& file, int64_t room, int64_t at, bool last, Kind* kind);

  TagLib::ByteVector front;
  std::vector<Block> end;
};
