#include "TagBlocks.h"

#include <taglib/id3v2synchdata.h>

#include "BlockFile.h"

using TagLib::ByteVector;

namespace {

constexpr unsigned int kId3v2HeaderBytes = 10;  // the footer is as long
constexpr unsigned int kId3v2FooterFlag = 0x10;
constexpr unsigned int kId3v1Bytes = 128;
constexpr unsigned int kId3v1ExtendedBytes = 227;  // "TAG+", just before ID3v1
constexpr unsigned int kApeFooterBytes = 32;
constexpr unsigned int kApeHasHeader = 0x80000000u;
constexpr unsigned int kLyricsTrailerBytes = 15;  // six digits of size, "LYRICS200"
constexpr unsigned int kLyricsSizeDigits = 6;
constexpr unsigned int kLyricsEndBytes = 9;  // "LYRICSEND", Lyrics3 v1's end
constexpr unsigned int kLyricsBeginBytes = 11;  // "LYRICSBEGIN"
constexpr unsigned int kLyricsV1Text = 5100;  // the most lyrics Lyrics3 v1 holds
// The longest of the trailers above.
constexpr unsigned int kTrailerBytes = kApeFooterBytes;
// No tag that a player or tagger writes comes near this (a cover of
// several megabytes fits many times over); a size beyond it is damage, and
// is never read into the memory of this 32-bit program.
constexpr int64_t kLargestBlock = 32 << 20;
// How far back from its end the header of an appended ID3v2 tag without
// footer is looked for, in pieces of kSearchPiece.
constexpr int64_t kSearchBytes = 4 << 20;
constexpr unsigned int kSearchPiece = 64 << 10;

// An ID3v2 header or footer: "ID3" or "3DI", a version of 2 to 4 and a
// size of which every byte keeps its top bit clear.
bool IsId3v2Edge(const ByteVector& edge, const char* mark) {
  if (edge.size() < kId3v2HeaderBytes || !edge.startsWith(mark)) return false;
  if (edge[3] < 2 || edge[3] > 4) return false;
  for (unsigned int i = 6; i < kId3v2HeaderBytes; ++i) {
    if (static_cast<unsigned char>(edge[i]) & 0x80) return false;
  }
  return true;
}

bool HasFooter(const ByteVector& header) {
  return header[3] == 4 && (static_cast<unsigned char>(header[5]) & kId3v2FooterFlag);
}

// Header, frames and padding, and the footer when the header says so.
int64_t Id3v2Size(const ByteVector& header) {
  int64_t body = TagLib::ID3v2::SynchData::toUInt(header.mid(6, 4));
  return kId3v2HeaderBytes + body + (HasFooter(header) ? kId3v2HeaderBytes : 0);
}

// Lyrics3v2 gives its size in decimal digits; -1 for anything else.
int64_t DecimalOf(const ByteVector& text) {
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// How long the block is that ends with `trailer` (the last bytes before
// where it ends), and what kind it is; 0 when the trailer is none of them,
// -1 when it is one but its size cannot be.
int64_t SizeFromTrailer(const ByteVector& trailer, bool last, TagBlocks::Kind* kind) {
  unsigned int n = trailer.size();
  if (last && n >= kId3v1Bytes && trailer.mid(n - kId3v1Bytes, 3) == "TAG") {
    *kind = TagBlocks::Kind::Id3v1;
    return kId3v1Bytes;
  }
  ByteVector lyrics = trailer.mid(n - kLyricsTrailerBytes);
  if (n >= kLyricsTrailerBytes && lyrics.endsWith("LYRICS200")) {
    *kind = TagBlocks::Kind::Lyrics3;
    int64_t size = DecimalOf(lyrics.mid(0, kLyricsSizeDigits));
    return size < 0 ? -1 : size + kLyricsTrailerBytes;
  }
  ByteVector ape = trailer.mid(n - kApeFooterBytes);
  if (n >= kApeFooterBytes && ape.startsWith("APETAGEX")) {
    unsigned int size = ape.toUInt(12, false);
    unsigned int flags = ape.toUInt(20, false);
    *kind = TagBlocks::Kind::Ape;
    if (size < kApeFooterBytes) return -1;
    return static_cast<int64_t>(size) + ((flags & kApeHasHeader) ? kApeFooterBytes : 0);
  }
  ByteVector footer = trailer.mid(n - kId3v2HeaderBytes);
  if (n >= kId3v2HeaderBytes && IsId3v2Edge(footer, "3DI") && footer[3] == 4) {
    *kind = TagBlocks::Kind::Id3v2;
    return Id3v2Size(footer);
  }
  return 0;
}

// How each kind of block begins, where it has a mark of its own.
bool BeginsRight(TagBlocks::Kind kind, const ByteVector& bytes) {
  switch (kind) {
    case TagBlocks::Kind::Lyrics3:
      return bytes.startsWith("LYRICSBEGIN");
    case TagBlocks::Kind::Id3v2:
      return IsId3v2Edge(bytes, "ID3");
    case TagBlocks::Kind::Id3v1Extended:
      return bytes.startsWith("TAG+");
    case TagBlocks::Kind::Ape:
    case TagBlocks::Kind::Id3v1:
      break;
  }
  return true;
}

// Lyrics3 v1 ends with "LYRICSEND" and says nothing of its size: it begins
// at its "LYRICSBEGIN", at most 5100 bytes of lyrics before; -1 when that
// is not there.
int64_t LyricsV1Size(BlockFile& file, int64_t room, int64_t at) {
  int64_t want = kLyricsBeginBytes + kLyricsV1Text + kLyricsEndBytes;
  if (want > room) want = room;
  ByteVector window;
  if (want < kLyricsBeginBytes + kLyricsEndBytes) return -1;
  if (!file.ReadAt(at - want, static_cast<unsigned int>(want), &window)) return 0;
  int begin = window.find("LYRICSBEGIN");
  return begin < 0 ? -1 : want - begin;
}

// An ID3v2 tag appended without a footer ends at `at` when its header,
// somewhere before, gives exactly that size. Found only where one header
// alone does so (a tag inside another's frame could too); 0 for none.
int64_t FooterlessId3v2Size(BlockFile& file, int64_t room, int64_t at) {
  int64_t reach = room < kSearchBytes ? room : kSearchBytes;
  int64_t found = 0;
  int candidates = 0;
  ByteVector piece;
  for (int64_t done = 0; done < reach; done += kSearchPiece) {
    int64_t left = reach - done;
    unsigned int size = static_cast<unsigned int>(left < kSearchPiece ? left : kSearchPiece);
    int64_t from = at - done - size;
    // The header may reach into the piece after this one.
    int64_t overlap = done == 0 ? 0 : kId3v2HeaderBytes - 1;
    if (!file.ReadAt(from, static_cast<unsigned int>(size + overlap), &piece)) return 0;
    for (int i = piece.find("ID3"); i >= 0 && static_cast<unsigned int>(i) < size;
         i = piece.find("ID3", i + 1)) {
      ByteVector header = piece.mid(i, kId3v2HeaderBytes);
      if (IsId3v2Edge(header, "ID3") && header[3] > 2 && !HasFooter(header) &&
          Id3v2Size(header) == at - (from + i)) {
        found = Id3v2Size(header);
        ++candidates;
      }
    }
  }
  return candidates == 1 ? found : 0;
}

}  // namespace

DWORD TagBlocks::Read(BlockFile& file) {
  front = ByteVector();
  end.clear();
  int64_t size = file.Size();
  DWORD error = size < 0 ? file.Error() : ReadFront(file);
  if (error == ERROR_SUCCESS) error = ReadEnd(file, front.size(), size);
  if (error != ERROR_SUCCESS) {
    front = ByteVector();
    end.clear();
  }
  return error;
}

DWORD TagBlocks::ReadFront(BlockFile& file) {
  ByteVector header;
  if (file.Size() < kId3v2HeaderBytes) return file.Error();
  if (!file.ReadAt(0, kId3v2HeaderBytes, &header)) return file.Error();
  if (!IsId3v2Edge(header, "ID3")) return ERROR_SUCCESS;
  int64_t size = Id3v2Size(header);
  if (size > file.Size() || size > kLargestBlock) return ERROR_INVALID_DATA;
  return file.ReadAt(0, static_cast<unsigned int>(size), &front) ? ERROR_SUCCESS : file.Error();
}

// From the end backwards: each block found ends where the one after it
// begins.
DWORD TagBlocks::ReadEnd(BlockFile& file, int64_t audioStart, int64_t fileEnd) {
  int64_t at = fileEnd;
  Block block;
  for (;;) {
    Found found = FindBlockBefore(file, at - audioStart, at, at == fileEnd, &block);
    if (file.Error() != ERROR_SUCCESS) return file.Error();
    if (found == Found::Damaged) return ERROR_INVALID_DATA;
    if (found == Found::Nothing) return ERROR_SUCCESS;
    at -= block.bytes.size();
    end.insert(end.begin(), block);
  }
}

int64_t TagBlocks::SizeByMarks(BlockFile& file, int64_t room, int64_t at, bool last, Kind* kind) {
  int64_t want = last ? kId3v1Bytes : kTrailerBytes;
  if (want > room) want = room;
  ByteVector trailer;
  if (want <= 0 || !file.ReadAt(at - want, static_cast<unsigned int>(want), &trailer)) return 0;
  int64_t size = SizeFromTrailer(trailer, last, kind);
  if (size != 0) return size;
  if (trailer.endsWith("LYRICSEND")) {
    *kind = Kind::Lyrics3;
    return LyricsV1Size(file, room, at);
  }
  ByteVector extended;
  if (room >= kId3v1ExtendedBytes && file.ReadAt(at - kId3v1ExtendedBytes, 4, &extended) &&
      extended == "TAG+") {
    *kind = Kind::Id3v1Extended;
    return kId3v1ExtendedBytes;
  }
  *kind = Kind::Id3v2;
  return FooterlessId3v2Size(file, room, at);
}

TagBlocks::Found TagBlocks::FindBlockBefore(BlockFile& file, int64_t room, int64_t at, bool last,
                                            Block* block) {
  int64_t size = SizeByMarks(file, room, at, last, &block->kind);
  if (size == 0) return Found::Nothing;
  if (size < 0 || size > room || size > kLargestBlock) return Found::Damaged;
  if (!file.ReadAt(at - size, static_cast<unsigned int>(size), &block->bytes)) {
    return Found::Nothing;
  }
  return BeginsRight(block->kind, block->bytes) ? Found::Block : Found::Damaged;
}
