#include "Id3v2Rewriter.h"

#include <vector>

#include <taglib/id3v2synchdata.h>

#include "FrameRemaker.h"
#include "LoudnessFrames.h"

using TagLib::ByteVector;
namespace SynchData = TagLib::ID3v2::SynchData;

namespace {

constexpr unsigned int kHeaderBytes = 10;  // the footer is as long
constexpr unsigned char kUnsynchronised = 0x80;
constexpr unsigned char kExtendedHeader = 0x40;  // in 2.2: the tag is compressed
constexpr unsigned char kExperimental = 0x20;
constexpr unsigned char kFooter = 0x10;
constexpr unsigned char kFrameUnsynchronised = 0x02;  // 2.4, in the format flags
constexpr unsigned int kFormatFlagsAt = 9;
constexpr unsigned int kSizeAt = 4;

// ID3v2.2's frames and their 2.3 names; the data of each is the same in
// both versions, but for PIC's (FrameRemaker). CRM (encrypted with a key
// only its owner knows) and LNK (naming 2.2 frames) have no 2.3 form.
const char* const kVersion2Names[][2] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"},
    {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"},
    {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"},
    {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"},
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"},
    {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
    // iTunes' own
    {"TCP", "TCMP"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSP", "TSOP"},
    {"TST", "TSOT"}, {"PCS", "PCST"}, {"TCT", "TCAT"}, {"TDR", "TDRL"}, {"TDS", "TDES"},
    {"TID", "TGID"}, {"WFD", "WFED"}, {"MVN", "MVNM"}, {"MVI", "MVIN"}, {"GP1", "GRP1"},
};

// The tag as the frames are read from it.
struct StoredTag {
  unsigned int version = 0;
  unsigned char revision = 0;
  unsigned char flags = 0;
  ByteVector body;  // after the header: frames and padding, unsynchronisation undone
  unsigned int framesStart = 0;  // after the extended header
  // iTunes wrote ID3v2.4 frame sizes as plain 32-bit numbers, as in 2.3.
  bool plainSizes = false;
  // ID3v2.4's header says that every frame is unsynchronised.
  bool unsynchronisedFrames() const { return version == 4 && (flags & kUnsynchronised); }
};

bool Parse(const ByteVector& tag, StoredTag* stored) {
  if (tag.size() < kHeaderBytes) return false;
  stored->version = static_cast<unsigned char>(tag[3]);
  stored->revision = static_cast<unsigned char>(tag[4]);
  stored->flags = static_cast<unsigned char>(tag[5]);
  stored->body = tag.mid(kHeaderBytes, SynchData::toUInt(tag.mid(6, 4)));
  if (stored->version < 4 && (stored->flags & kUnsynchronised)) {
    stored->body = SynchData::decode(stored->body);
  }
  if (stored->version == 2 || !(stored->flags & kExtendedHeader)) return true;
  // 2.3 counts the extended header without its size, 2.4 with it.
  ByteVector size = stored->body.mid(0, 4);
  stored->framesStart = stored->version == 3 ? 4 + size.toUInt(0, true) : SynchData::toUInt(size);
  return stored->framesStart <= stored->body.size();
}

// A compressed 2.2 tag: no method was ever defined.
bool IsCompressedVersion2(const ByteVector& tag) {
  return tag.size() >= kHeaderBytes && tag[3] == 2 &&
         (static_cast<unsigned char>(tag[5]) & kExtendedHeader);
}

unsigned int FrameHeaderBytes(unsigned int version) { return version == 2 ? 6 : 10; }

bool IsSynchSafe(const ByteVector& size) {
  for (char c : size) {
    if (static_cast<unsigned char>(c) & 0x80) return false;
  }
  return true;
}

bool IsIdCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Four letters or digits; in 2.3 and 2.4 also a 2.2 name padded with a NUL,
// as iTunes 8.1 wrote some ("TCP\0"); 2.2 has three.
bool IsFrameId(const ByteVector& id, unsigned int version) {
  unsigned int letters = version == 2 ? 3 : 4;
  if (id.size() != letters) return false;
  for (unsigned int i = 0; i < letters; ++i) {
    bool padded = version > 2 && i == 3 && id[i] == '\0';
    if (!IsIdCharacter(id[i]) && !padded) return false;
  }
  return true;
}

// The data's size, -1 when the header cannot be one of this tag's.
int64_t FrameDataSize(const ByteVector& header, unsigned int version, bool plainSizes) {
  if (version == 2) return header.toUInt(3, 3, true);
  ByteVector size = header.mid(kSizeAt, 4);
  if (version == 3 || plainSizes) return size.toUInt(0, true);
  return IsSynchSafe(size) ? static_cast<int64_t>(SynchData::toUInt(size)) : -1;
}

ByteVector SizeBytes(unsigned int size, unsigned int version, bool plainSizes) {
  return version == 4 && !plainSizes ? SynchData::fromUInt(size) : ByteVector::fromUInt(size);
}

// The frame that starts `at`, header and data as stored; false where the
// padding (or what cannot be a frame) begins.
bool NextFrame(const StoredTag& tag, unsigned int at, ByteVector* frame) {
  unsigned int headerBytes = FrameHeaderBytes(tag.version);
  if (at + headerBytes > tag.body.size()) return false;
  ByteVector header = tag.body.mid(at, headerBytes);
  if (!IsFrameId(header.mid(0, tag.version == 2 ? 3 : 4), tag.version)) return false;
  int64_t size = FrameDataSize(header, tag.version, tag.plainSizes);
  if (size < 0 || size > static_cast<int64_t>(tag.body.size() - at - headerBytes)) return false;
  *frame = tag.body.mid(at, headerBytes + static_cast<unsigned int>(size));
  return true;
}

bool IsPadding(const ByteVector& bytes) {
  for (char c : bytes) {
    if (c != '\0') return false;
  }
  return true;
}

// Whether the walk over the frames ends on the tag's end or its padding.
bool WalkEndsClean(const StoredTag& tag) {
  ByteVector frame;
  unsigned int at = tag.framesStart;
  while (NextFrame(tag, at, &frame)) at += frame.size();
  return IsPadding(tag.body.mid(at));
}

// As mutagen decides, once for the whole tag: sizes are plain when the
// synchsafe reading does not end on the tag's end or its padding, but the
// plain one does.
void ChooseSizes(StoredTag* tag) {
  if (tag->version != 4 || WalkEndsClean(*tag)) return;
  tag->plainSizes = true;
  tag->plainSizes = WalkEndsClean(*tag);
}

// A 2.2 frame under its 2.3 name, without flags; empty when it has none.
ByteVector InVersion3(const ByteVector& frame) {
  ByteVector id = frame.mid(0, 3);
  if (id == "PIC") return FrameRemaker::PictureOfVersion2(frame);
  for (const auto& names : kVersion2Names) {
    if (id != names[0]) continue;
    ByteVector data = frame.mid(FrameHeaderBytes(2));
    return ByteVector(names[1]) + ByteVector::fromUInt(data.size()) + ByteVector(2, '\0') + data;
  }
  return ByteVector();
}

// ID3v2's unsynchronisation: no false MPEG sync in the data (0xFF before
// 0xE0 or more), and no 0xFF 0x00 that reads as one undone.
ByteVector Unsynchronised(const ByteVector& data) {
  ByteVector out;
  for (unsigned int i = 0; i < data.size(); ++i) {
    out.append(data[i]);
    bool next = i + 1 < data.size();
    unsigned char after = next ? static_cast<unsigned char>(data[i + 1]) : 0;
    if (static_cast<unsigned char>(data[i]) == 0xFF && (!next || after >= 0xE0 || after == 0)) {
      out.append('\0');
    }
  }
  return out;
}

ByteVector Resized(const ByteVector& frame, const ByteVector& size) {
  return frame.mid(0, kSizeAt) + size + frame.mid(kSizeAt + 4);
}

// A frame of this tag as TagLib reads a 2.4 frame: its size synchsafe, and
// flagged unsynchronised when the tag's header says that it is.
ByteVector ForReading(const ByteVector& frame, const StoredTag& tag) {
  if (tag.version != 4) return frame;
  ByteVector read = Resized(frame, SynchData::fromUInt(frame.size() - kHeaderBytes));
  if (tag.unsynchronisedFrames()) {
    read[kFormatFlagsAt] = static_cast<char>(read[kFormatFlagsAt] | kFrameUnsynchronised);
  }
  return read;
}

// A frame written anew (plain, sizes synchsafe in 2.4) in the form of this
// tag: unsynchronised when its header says every frame is, with the size
// as the tag writes sizes.
ByteVector InTagForm(const ByteVector& frame, const StoredTag& tag) {
  if (tag.version != 4) return frame;
  ByteVector data = frame.mid(kHeaderBytes);
  ByteVector header = frame.mid(0, kHeaderBytes);
  if (tag.unsynchronisedFrames()) {
    data = Unsynchronised(data);
    header[kFormatFlagsAt] = static_cast<char>(header[kFormatFlagsAt] | kFrameUnsynchronised);
  }
  return Resized(header, SizeBytes(data.size(), 4, tag.plainSizes)) + data;
}

ByteVector SeekFrame(const ByteVector& frame, unsigned int version, int64_t toNextTag) {
  if (toNextTag < 0 || toNextTag > 0xFFFFFFFFLL) return ByteVector();
  ByteVector data = ByteVector::fromUInt(static_cast<unsigned int>(toNextTag));
  return ByteVector("SEEK") + SizeBytes(data.size(), version, false) + frame.mid(8, 1) +
         ByteVector(1, '\0') + data;
}

// What the output's tag has of `frame`: `out` empty when nothing. False
// when the frame holds a value that cannot be made true for the output.
bool OutputFrame(const ByteVector& frame, const StoredTag& tag, unsigned int version,
                 const OutputFacts& facts, ByteVector* out) {
  ByteVector id = frame.mid(0, 4);
  *out = ByteVector();
  if (id == "MLLT" || id == "ASPI") return true;
  if (id == "SEEK") {
    ByteVector seek = SeekFrame(frame, version, facts.toNextTag);
    if (!seek.isEmpty()) *out = InTagForm(seek, tag);
    return true;
  }
  ByteVector read = ForReading(frame, tag), remade;
  switch (LoudnessFrames::Remake(read, version, facts.loudness, &remade)) {
    case LoudnessFrames::Outcome::Remade:
      *out = InTagForm(remade, tag);
      return true;
    case LoudnessFrames::Outcome::Dropped:
      return true;
    case LoudnessFrames::Outcome::Unknowable:
      return false;
    case LoudnessFrames::Outcome::NotLoudness:
      break;
  }
  switch (FrameRemaker::Remake(read, version, facts.timing, &remade)) {
    case FrameRemaker::Outcome::Kept:
      *out = frame;
      break;
    case FrameRemaker::Outcome::Dropped:
      break;
    case FrameRemaker::Outcome::Remade:
      *out = InTagForm(remade, tag);
      break;
  }
  return true;
}

// Each frame of the tag as stored (2.2 frames under their 2.3 names), and
// where the walk over them ended.
std::vector<ByteVector> StoredFrames(const StoredTag& stored, unsigned int* end) {
  std::vector<ByteVector> frames;
  ByteVector frame;
  unsigned int at = stored.framesStart;
  for (; NextFrame(stored, at, &frame); at += frame.size()) {
    ByteVector copied = stored.version == 2 ? InVersion3(frame) : frame;
    if (!copied.isEmpty()) frames.push_back(copied);
  }
  *end = at;
  return frames;
}

ByteVector Edge(const char* mark, unsigned int version, const StoredTag& tag, unsigned char flags,
                unsigned int size) {
  ByteVector edge(mark);
  edge.append(static_cast<char>(version));
  edge.append(static_cast<char>(version == tag.version ? tag.revision : 0));
  edge.append(static_cast<char>(flags));
  return edge + SynchData::fromUInt(size);
}

// The header's flags that still hold: 2.4's unsynchronisation holds for
// every frame (each says so itself too), and so does its footer.
unsigned char OutputFlags(const StoredTag& tag, unsigned int version) {
  unsigned char kept = version == 4 ? (kUnsynchronised | kExperimental | kFooter) : kExperimental;
  return tag.flags & kept;
}

}  // namespace

Id3v2Rewriter::Result Id3v2Rewriter::Rewrite(const ByteVector& tag, const OutputFacts& facts,
                                             ByteVector* written) {
  if (IsCompressedVersion2(tag)) return Result::Nothing;
  StoredTag stored;
  if (!Parse(tag, &stored)) return Result::Damaged;
  ChooseSizes(&stored);
  unsigned int version = stored.version == 2 ? 3 : stored.version;
  unsigned int at = 0;
  ByteVector frames, out;
  for (const ByteVector& frame : StoredFrames(stored, &at)) {
    if (!OutputFrame(frame, stored, version, facts, &out)) return Result::Damaged;
    frames.append(out);
  }
  unsigned char flags = OutputFlags(stored, version);
  bool footer = flags & kFooter;
  ByteVector rest = stored.body.mid(at);
  if (IsPadding(rest)) {
    if (frames.isEmpty()) return Result::Nothing;
    // A tag with a footer has no padding.
    if (!footer) frames.resize(frames.size() + rest.size(), '\0');
  } else {
    // What the walk could not read stays as it was; in a 2.2 tag become 2.3
    // it would read as something else.
    if (stored.version == 2) return Result::Damaged;
    frames.append(rest);
  }
  ByteVector header = Edge("ID3", version, stored, flags, frames.size());
  ByteVector trailer = footer ? Edge("3DI", version, stored, flags, frames.size()) : ByteVector();
  *written = header + frames + trailer;
  return Result::Written;
}

bool Id3v2Rewriter::NeedsMeasuring(const ByteVector& tag) {
  StoredTag stored;
  if (IsCompressedVersion2(tag) || !Parse(tag, &stored)) return false;
  ChooseSizes(&stored);
  unsigned int version = stored.version == 2 ? 3 : stored.version, end = 0;
  for (const ByteVector& frame : StoredFrames(stored, &end)) {
    if (LoudnessFrames::NeedsMeasuring(ForReading(frame, stored), version)) return true;
  }
  return false;
}
