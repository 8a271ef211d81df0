#include "LoudnessFrames.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <string>

#include <taglib/id3v2frame.h>
#include <taglib/id3v2synchdata.h>
#include <taglib/tstring.h>

#include "LoudnessText.h"

using TagLib::ByteVector;
namespace SynchData = TagLib::ID3v2::SynchData;

namespace {

constexpr unsigned int kHeaderBytes = 10;
constexpr unsigned int kStatusFlagsAt = 8;
// A loudness frame holds a few dozen bytes; one that claims more when
// unpacked is something else.
constexpr unsigned int kLargestPlainData = 64 << 10;
constexpr char kMasterVolume = 1;  // RVA2's channel type
constexpr double kVolumeSteps = 512.0;  // RVA2: 1/512 dB
constexpr unsigned char kMostPeakBits = 32;

enum class Kind {
  None,
  TrackText,   // TXXX REPLAYGAIN_TRACK_GAIN or _PEAK
  SoundCheck,  // COMM iTunNORM
  TrackVolume, // RVA2 of the track
  Album        // REPLAYGAIN_ALBUM_*, RVA2 "album"
};

// A frame read: its data as written, the format undone, and where its
// value begins (after the description's end), in its text encoding.
struct Read {
  Kind kind = Kind::None;
  LoudnessText::Value value = LoudnessText::Value::None;
  ByteVector data;
  unsigned int descriptionAt = 0;
  unsigned int valueAt = 0;
};

// TagLib keeps its reading of a frame header's flags to its frames; a class
// derived from Frame names it for the rest.
struct FrameFormat : TagLib::ID3v2::Frame {
  using Header = TagLib::ID3v2::Frame::Header;
};

// The data after the header, as the format flags say it was stored: the
// group byte, the encryption method, the size before compression (2.3) or
// the data length (2.4) skipped, unsynchronisation undone (2.4),
// decompressed. False for an encrypted frame, or one that will not unpack.
bool PlainData(const ByteVector& frame, unsigned int version, ByteVector* data) {
  FrameFormat::Header header(frame, version);
  if (header.encryption() || frame.size() < kHeaderBytes + header.frameSize()) return false;
  ByteVector body = frame.mid(kHeaderBytes, header.frameSize());
  if (version == 4 && header.unsynchronisation()) body = SynchData::decode(body);
  unsigned int skip = version == 4 && header.groupingIdentity() ? 1 : 0;
  bool sized = header.compression() || (version == 4 && header.dataLengthIndicator());
  unsigned int plainSize = 0;
  if (sized) {
    ByteVector size = body.mid(skip, 4);
    plainSize = version == 3 ? size.toUInt(0, true) : SynchData::toUInt(size);
    skip += 4;
  }
  if (version == 3 && header.groupingIdentity()) ++skip;
  if (body.size() < skip) return false;
  if (!header.compression()) {
    *data = body.mid(skip);
    return true;
  }
  if (plainSize == 0 || plainSize > kLargestPlainData) return false;
  ByteVector packed = body.mid(skip);
  ByteVector plain(plainSize, '\0');
  uLongf unpacked = plainSize;
  if (uncompress(reinterpret_cast<Bytef*>(plain.data()), &unpacked,
                 reinterpret_cast<const Bytef*>(packed.data()), packed.size()) != Z_OK) {
    return false;
  }
  *data = plain.mid(0, static_cast<unsigned int>(unpacked));
  return true;
}

bool IsWide(char encoding) { return encoding == 1 || encoding == 2; }

// Where the text that starts `from` ends (its terminator begins), or the
// data's end when it has none.
unsigned int TextEnd(const ByteVector& data, unsigned int from, char encoding) {
  unsigned int width = IsWide(encoding) ? 2 : 1;
  for (unsigned int at = from; at + width <= data.size(); at += width) {
    if (data[at] == '\0' && (width == 1 || data[at + 1] == '\0')) return at;
  }
  return data.size();
}

std::string Text(const ByteVector& data, unsigned int from, unsigned int end, char encoding) {
  auto type = static_cast<TagLib::String::Type>(encoding);
  return TagLib::String(data.mid(from, end - from), type).to8Bit(true);
}

// The description that starts `at` and where the value after it begins;
// false for an encoding that ID3v2 does not have.
bool Description(const ByteVector& data, unsigned int at, std::string* description, Read* read) {
  char encoding = data[0];
  if (encoding < 0 || encoding > 3) return false;
  unsigned int end = TextEnd(data, at, encoding);
  *description = Text(data, at, end, encoding);
  read->descriptionAt = at;
  read->valueAt = end + (IsWide(encoding) ? 2 : 1);
  return read->valueAt <= data.size();
}

Kind OfUserText(const ByteVector& data, Read* read) {
  std::string description;
  if (data.size() < 1 || !Description(data, 1, &description, read)) return Kind::None;
  read->value = LoudnessText::Named(description);
  switch (read->value) {
    case LoudnessText::Value::TrackGain:
    case LoudnessText::Value::TrackPeak:
      return Kind::TrackText;
    case LoudnessText::Value::Album:
      return Kind::Album;
    case LoudnessText::Value::None:
      break;
  }
  return Kind::None;
}

Kind OfComment(const ByteVector& data, Read* read) {
  std::string description;
  if (data.size() < 4 || !Description(data, 4, &description, read)) return Kind::None;
  return description == "iTunNORM" ? Kind::SoundCheck : Kind::None;
}

// RVA2 names what it adjusts: "track" (or nothing), "album", or a name of
// its writer's, which is left as it is.
Kind OfVolume(const ByteVector& data, Read* read) {
  unsigned int end = TextEnd(data, 0, 0);
  std::string name = TagLib::String(data.mid(0, end)).upper().to8Bit();
  read->valueAt = end + 1;
  if (name.empty() || name == "TRACK") return Kind::TrackVolume;
  return name == "ALBUM" ? Kind::Album : Kind::None;
}

Read ReadFrame(const ByteVector& frame, unsigned int version) {
  Read read;
  ByteVector id = frame.mid(0, 4);
  bool candidate = id == "TXXX" || id == "COMM" || id == "RVA2";
  if (!candidate || !PlainData(frame, version, &read.data)) return read;
  if (id == "TXXX") read.kind = OfUserText(read.data, &read);
  if (id == "COMM") read.kind = OfComment(read.data, &read);
  if (id == "RVA2") read.kind = OfVolume(read.data, &read);
  return read;
}

// `text` (ASCII) in the frame's encoding. UTF-16 with a byte order mark
// takes the order of the value it replaces, else of the description.
ByteVector Encoded(const std::string& text, const Read& read) {
  char encoding = read.data[0];
  if (!IsWide(encoding)) return ByteVector(text.data(), static_cast<unsigned int>(text.size()));
  const ByteVector bigEndianMark("\xFE\xFF");
  const ByteVector littleEndianMark("\xFF\xFE");
  ByteVector bytes;
  bool bigEndian = encoding == 2;
  if (encoding == 1) {
    ByteVector mark = read.data.mid(read.valueAt, 2);
    if (mark != bigEndianMark && mark != littleEndianMark) {
      mark = read.data.mid(read.descriptionAt, 2);
    }
    bigEndian = mark == bigEndianMark;
    bytes = bigEndian ? bigEndianMark : littleEndianMark;
  }
  for (char c : text) {
    bytes.append(bigEndian ? '\0' : c);
    bytes.append(bigEndian ? c : '\0');
  }
  return bytes;
}

std::string NewValue(const Read& read, const std::string& old, const TrackLoudness& loudness) {
  if (read.kind == Kind::SoundCheck) return LoudnessText::SoundCheck(old, loudness);
  if (read.value == LoudnessText::Value::TrackGain) return LoudnessText::Gain(old, loudness.GainDb());
  return LoudnessText::Peak(loudness.Peak());
}

// The value after the description, anew; the description and all before
// it stay as they were, and so does a terminator after the value.
ByteVector WithValue(const Read& read, const TrackLoudness& loudness) {
  char encoding = read.data[0];
  unsigned int end = TextEnd(read.data, read.valueAt, encoding);
  std::string old = Text(read.data, read.valueAt, end, encoding);
  ByteVector data = read.data.mid(0, read.valueAt);
  data.append(Encoded(NewValue(read, old, loudness), read));
  if (end < read.data.size()) data.append(read.data.mid(end, IsWide(encoding) ? 2 : 1));
  return data;
}

ByteVector PeakBytes(double peak, unsigned char bits) {
  unsigned int bytes = (bits + 7u) / 8u;
  double largest = std::ldexp(1.0, bits) - 1.0;
  double scaled = std::ldexp(peak, bits - 1);
  auto value = static_cast<uint64_t>(std::llround(scaled > largest ? largest : scaled));
  ByteVector out;
  for (unsigned int i = bytes; i > 0; --i) out.append(static_cast<char>(value >> (8 * (i - 1))));
  return out;
}

// Each channel: its type, the adjustment (signed, in 1/512 dB), the bits
// of its peak and the peak. The output's loudness is one figure for both
// channels, so only the master volume can be made true.
bool RewriteVolume(const Read& read, const TrackLoudness& loudness, ByteVector* data) {
  *data = read.data.mid(0, read.valueAt);
  for (unsigned int at = read.valueAt; at < read.data.size();) {
    if (at + 4 > read.data.size() || read.data[at] != kMasterVolume) return false;
    auto bits = static_cast<unsigned char>(read.data[at + 3]);
    unsigned int bytes = (bits + 7u) / 8u;
    if (bits > kMostPeakBits || at + 4 + bytes > read.data.size()) return false;
    double steps = std::round(loudness.GainDb() * kVolumeSteps);
    auto adjustment = static_cast<int16_t>(steps > 32767 ? 32767 : steps < -32768 ? -32768 : steps);
    data->append(kMasterVolume);
    data->append(ByteVector::fromShort(adjustment, true));
    data->append(static_cast<char>(bits));
    data->append(PeakBytes(loudness.Peak(), bits));
    at += 4 + bytes;
  }
  return true;
}

ByteVector PlainFrame(const ByteVector& frame, unsigned int version, const ByteVector& data) {
  ByteVector size = version == 4 ? SynchData::fromUInt(data.size()) : ByteVector::fromUInt(data.size());
  return frame.mid(0, 4) + size + frame.mid(kStatusFlagsAt, 1) + ByteVector(1, '\0') + data;
}

}  // namespace

LoudnessFrames::Outcome LoudnessFrames::Remake(const ByteVector& frame, unsigned int version,
                                               const TrackLoudness& loudness, ByteVector* remade) {
  Read read = ReadFrame(frame, version);
  if (read.kind == Kind::None) return Outcome::NotLoudness;
  if (read.kind == Kind::Album) return Outcome::Dropped;
  if (!loudness.Known()) return Outcome::Unknowable;
  ByteVector data;
  if (read.kind == Kind::TrackVolume) {
    if (!RewriteVolume(read, loudness, &data)) return Outcome::Unknowable;
  } else {
    data = WithValue(read, loudness);
  }
  *remade = PlainFrame(frame, version, data);
  return Outcome::Remade;
}

bool LoudnessFrames::NeedsMeasuring(const ByteVector& frame, unsigned int version) {
  Kind kind = ReadFrame(frame, version).kind;
  return kind == Kind::TrackText || kind == Kind::SoundCheck || kind == Kind::TrackVolume;
}
