#include "FrameRemaker.h"

#include <memory>

#include <taglib/chapterframe.h>
#include <taglib/eventtimingcodesframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/textidentificationframe.h>

using namespace TagLib;

namespace {

// CHAP's "no byte offset": the output's frames lie elsewhere than the input's.
constexpr unsigned int kUnknownOffset = 0xFFFFFFFF;
constexpr unsigned int kStatusFlagsAt = 8;
constexpr unsigned int kEncryptedV3 = 0x40;  // in the format flags' byte
constexpr unsigned int kEncryptedV4 = 0x04;

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

bool IsTimed(const ByteVector& id) {
  return id == "TLEN" || id == "CHAP" || id == "SYLT" || id == "ETCO";
}

// An encrypted frame cannot be read without its key: it stays as it is.
bool IsEncrypted(const ByteVector& frame, unsigned int version) {
  unsigned char format = static_cast<unsigned char>(frame[kStatusFlagsAt + 1]);
  return format & (version == 4 ? kEncryptedV4 : kEncryptedV3);
}

}  // namespace

bool FrameRemaker::Retime(const ByteVector& frame, unsigned int version, const TagTiming& timing,
                          ByteVector* remade) {
  if (!IsTimed(frame.mid(0, 4)) || IsEncrypted(frame, version)) return false;
  ID3v2::Header tag;
  std::unique_ptr<ID3v2::Frame> parsed = Parsed(frame, version, &tag);
  if (!parsed || !Change(parsed.get(), timing)) return false;
  *remade = Rendered(*parsed, version, frame[kStatusFlagsAt]);
  return true;
}

ByteVector FrameRemaker::PictureOfVersion2(const ByteVector& frame) {
  ID3v2::Header tag;
  std::unique_ptr<ID3v2::Frame> parsed = Parsed(frame, 2, &tag);
  if (!parsed || parsed->frameID() != "APIC") return ByteVector();
  return Rendered(*parsed, 3, 0);
}
