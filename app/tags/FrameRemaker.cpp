#include "FrameRemaker.h"

#include <cstdio>
#include <memory>

#include <taglib/chapterframe.h>
#include <taglib/commentsframe.h>
#include <taglib/eventtimingcodesframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tstringlist.h>

using namespace TagLib;

namespace {

// CHAP's "no byte offset": the output's frames lie elsewhere than the input's.
constexpr unsigned int kUnknownOffset = 0xFFFFFFFF;
constexpr unsigned int kStatusFlagsAt = 8;
constexpr unsigned int kEncryptedV3 = 0x40;  // in the format flags' byte
constexpr unsigned int kEncryptedV4 = 0x04;
// Decoders give back this many samples of their own before the first one
// the encoder was given (mpg123 and ffmpeg alike skip it with the encoder's
// delay that LAME's Info tag holds); iTunSMPB counts both.
constexpr int kDecoderDelay = 529;
// iTunSMPB's words after the length, which nothing here knows of.
constexpr unsigned int kGaplessWords = 12;

// TagLib shows a frame's header (the version it renders in) only to its own
// classes; a pointer to the member, named through a class derived from
// Frame, reaches it on any frame.
struct FrameHeader : ID3v2::Frame {
  static void SetVersion(const ID3v2::Frame* frame, unsigned int version) {
    (frame->*(&FrameHeader::header))()->setVersion(version);
  }
};

// `tag` stays with the frame: a chapter's frames are read through it.
std::unique_ptr<ID3v2::Frame> Parsed(const ByteVector& frame, unsigned int version,
                                     ID3v2::Header* tag) {
  tag->setMajorVersion(version);
  return std::unique_ptr<ID3v2::Frame>(ID3v2::FrameFactory::instance()->createFrame(frame, tag));
}

ByteVector Rendered(const ID3v2::Frame& frame, unsigned int version, char statusFlags) {
  FrameHeader::SetVersion(&frame, version);
  ByteVector bytes = frame.render();
  bytes[kStatusFlagsAt] = statusFlags;
  return bytes;
}

void MoveChapter(ID3v2::ChapterFrame* chapter, const TagTiming& timing) {
  chapter->setStartOffset(kUnknownOffset);
  chapter->setEndOffset(kUnknownOffset);
  if (!timing.TimelineChanged()) return;
  chapter->setStartTime(timing.Scaled(chapter->startTime()));
  chapter->setEndTime(timing.Scaled(chapter->endTime()));
}

void MoveLyrics(ID3v2::SynchronizedLyricsFrame* lyrics, const TagTiming& timing) {
  ID3v2::SynchronizedLyricsFrame::SynchedTextList lines = lyrics->synchedText();
  for (auto line = lines.begin(); line != lines.end(); ++line) line->time = timing.Scaled(line->time);
  lyrics->setSynchedText(lines);
}

void MoveEvents(ID3v2::EventTimingCodesFrame* codes, const TagTiming& timing) {
  ID3v2::EventTimingCodesFrame::SynchedEventList events = codes->synchedEvents();
  for (auto event = events.begin(); event != events.end(); ++event) {
    event->time = timing.Scaled(event->time);
  }
  codes->setSynchedEvents(events);
}

// Chapters keep their place only when they already name no byte offsets
// and the audio kept its length.
bool ChapterMoves(const ID3v2::ChapterFrame& chapter, const TagTiming& timing) {
  return timing.TimelineChanged() || chapter.startOffset() != kUnknownOffset ||
         chapter.endOffset() != kUnknownOffset;
}

// iTunSMPB: " 00000000 <delay> <padding> <length in samples>" and more
// words, in hexadecimal; the three are the output's, the rest stay.
String GaplessText(const String& input, const TagTiming& timing) {
  StringList words;
  for (const String& word : input.split(" ")) {
    if (!word.isEmpty()) words.append(word);
  }
  if (words.size() < 4) words = StringList();
  while (words.size() < kGaplessWords) words.append("00000000");
  char number[24];
  unsigned int delay = static_cast<unsigned int>(timing.encoderDelay + kDecoderDelay);
  snprintf(number, sizeof number, "%08X", delay);
  words[1] = number;
  int padding = timing.encoderPadding - kDecoderDelay;
  snprintf(number, sizeof number, "%08X", static_cast<unsigned int>(padding < 0 ? 0 : padding));
  words[2] = number;
  uint64_t length = static_cast<uint64_t>(timing.outputFrames);
  snprintf(number, sizeof number, "%08X%08X", static_cast<unsigned int>(length >> 32),
           static_cast<unsigned int>(length & 0xFFFFFFFFu));
  words[3] = number;
  String text;
  for (const String& word : words) text += " " + word;
  return text;
}

// A track that joined the next one without a gap still does only when the
// conversion kept its length; "0" (it does not) stays true.
FrameRemaker::Outcome GaplessComment(ID3v2::CommentsFrame* comment, const TagTiming& timing) {
  if (comment->description() == "iTunSMPB" && timing.KnowsEncoderFrame()) {
    comment->setText(GaplessText(comment->text(), timing));
    return FrameRemaker::Outcome::Remade;
  }
  if (comment->description() == "iTunPGAP" && timing.LengthChanged() &&
      comment->text().stripWhiteSpace() != "0") {
    return FrameRemaker::Outcome::Dropped;
  }
  return FrameRemaker::Outcome::Kept;
}

// Whether `frame` changes; the change is made in place.
bool Change(ID3v2::Frame* frame, const TagTiming& timing) {
  if (auto* length = dynamic_cast<ID3v2::TextIdentificationFrame*>(frame)) {
    if (timing.sampleRate <= 0) return false;
    length->setText(String::number(static_cast<int>(timing.OutputMs())));
    return true;
  }
  if (auto* chapter = dynamic_cast<ID3v2::ChapterFrame*>(frame)) {
    if (!ChapterMoves(*chapter, timing)) return false;
    MoveChapter(chapter, timing);
    return true;
  }
  if (!timing.TimelineChanged()) return false;
  if (auto* lyrics = dynamic_cast<ID3v2::SynchronizedLyricsFrame*>(frame)) {
    MoveLyrics(lyrics, timing);
    return true;
  }
  if (auto* codes = dynamic_cast<ID3v2::EventTimingCodesFrame*>(frame)) {
    MoveEvents(codes, timing);
    return true;
  }
  return false;
}

bool IsRemade(const ByteVector& id) {
  return id == "TLEN" || id == "CHAP" || id == "SYLT" || id == "ETCO" || id == "COMM";
}

// An encrypted frame cannot be read without its key: it stays as it is.
bool IsEncrypted(const ByteVector& frame, unsigned int version) {
  unsigned char format = static_cast<unsigned char>(frame[kStatusFlagsAt + 1]);
  return format & (version == 4 ? kEncryptedV4 : kEncryptedV3);
}

}  // namespace

FrameRemaker::Outcome FrameRemaker::Remake(const ByteVector& frame, unsigned int version,
                                           const TagTiming& timing, ByteVector* remade) {
  if (!IsRemade(frame.mid(0, 4)) || IsEncrypted(frame, version)) return Outcome::Kept;
  ID3v2::Header tag;
  std::unique_ptr<ID3v2::Frame> parsed = Parsed(frame, version, &tag);
  if (!parsed) return Outcome::Kept;
  Outcome outcome = Outcome::Kept;
  if (auto* comment = dynamic_cast<ID3v2::CommentsFrame*>(parsed.get())) {
    outcome = GaplessComment(comment, timing);
  } else if (Change(parsed.get(), timing)) {
    outcome = Outcome::Remade;
  }
  if (outcome == Outcome::Remade) *remade = Rendered(*parsed, version, frame[kStatusFlagsAt]);
  return outcome;
}

ByteVector FrameRemaker::PictureOfVersion2(const ByteVector& frame) {
  ID3v2::Header tag;
  std::unique_ptr<ID3v2::Frame> parsed = Parsed(frame, 2, &tag);
  if (!parsed || parsed->frameID() != "APIC") return ByteVector();
  return Rendered(*parsed, 3, 0);
}
