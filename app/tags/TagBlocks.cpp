#include "TagBlocks.h"

#include <taglib/id3v2synchdata.h>

#include "BlockFile.h"

using TagLib::ByteVector;

namespace {

constexpr unsigned int kId3v2HeaderBytes = 10;  // the footer is as long
constexpr unsigned int kId3v2FooterFlag = 0x10;
constexpr unsigned int kId3v1Bytes = 128;
constexpr unsigned int kApeFooterBytes = 32;
constexpr unsigned int kApeHasHeader = 0x80000000u;
constexpr unsigned int kLyricsTrailerBytes = 15;  // six digits of size, "LYRICS200"
constexpr unsigned int kLyricsSizeDigits = 6;
// The longest of the trailers above.
constexpr unsigned int kTrailerBytes = kApeFooterBytes;

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

// Header, frames and padding, and the footer when the header says so.
int64_t Id3v2Size(const ByteVector& header) {
  int64_t body = TagLib::ID3v2::SynchData::toUInt(header.mid(6, 4));
  bool footer = header[3] == 4 && (static_cast<unsigned char>(header[5]) & kId3v2FooterFlag);
  return kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
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
// where it ends), and what kind it is; 0 when the trailer is none of them.
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
    return size < 0 ? 0 : size + kLyricsTrailerBytes;
  }
  ByteVector ape = trailer.mid(n - kApeFooterBytes);
  if (n >= kApeFooterBytes && ape.startsWith("APETAGEX")) {
    unsigned int size = ape.toUInt(12, false);
    unsigned int flags = ape.toUInt(20, false);
    *kind = TagBlocks::Kind::Ape;
    if (size < kApeFooterBytes) return 0;
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
    case TagBlocks::Kind::Ape:
    case TagBlocks::Kind::Id3v1:
      break;
  }
  return true;
}

}  // namespace

bool TagBlocks::Read(BlockFile& file) {
  front = ByteVector();
  end.clear();
  int64_t size = file.Size();
  bool read = size >= 0 && ReadFront(file) && ReadEnd(file, front.size(), size);
  if (!read) {
    front = ByteVector();
    end.clear();
  }
  return read;
}

bool TagBlocks::ReadFront(BlockFile& file) {
  ByteVector header;
  if (file.Size() < kId3v2HeaderBytes) return true;
  if (!file.ReadAt(0, kId3v2HeaderBytes, &header)) return false;
  if (!IsId3v2Edge(header, "ID3")) return true;
  int64_t size = Id3v2Size(header);
  // A tag longer than the file is damaged: it is not copied.
  if (size > file.Size()) return true;
  return file.ReadAt(0, static_cast<unsigned int>(size), &front);
}

// From the end backwards: each block found ends where the one after it
// begins.
bool TagBlocks::ReadEnd(BlockFile& file, int64_t audioStart, int64_t fileEnd) {
  int64_t at = fileEnd;
  Block block;
  int64_t size = 0;
  while (FindBlockBefore(file, at - audioStart, at, at == fileEnd, &block, &size)) {
    end.insert(end.begin(), block);
    at -= size;
  }
  return file.Error() == ERROR_SUCCESS;
}

bool TagBlocks::FindBlockBefore(BlockFile& file, int64_t room, int64_t at, bool last,
                                Block* block, int64_t* size) {
  int64_t want = last ? kId3v1Bytes : kTrailerBytes;
  if (want > room) want = room;
  ByteVector trailer;
  if (want <= 0 || !file.ReadAt(at - want, static_cast<unsigned int>(want), &trailer)) return false;
  *size = SizeFromTrailer(trailer, last, &block->kind);
  if (*size <= 0 || *size > room) return false;
  return file.ReadAt(at - *size, static_cast<unsigned int>(*size), &block->bytes) &&
         BeginsRight(block->kind, block->bytes);
}
