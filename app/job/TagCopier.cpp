#include "TagCopier.h"

#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/chapterframe.h>
#include <taglib/eventtimingcodesframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tfilestream.h>

using namespace TagLib;

namespace {

// CHAP's "no byte offset": the output's frames lie elsewhere than the input's.
constexpr unsigned int kUnknownOffset = 0xFFFFFFFF;
constexpr long kProbeBytes = 4096;
constexpr long kVersion1Size = 128;

// The audio as the encoder left it, to recognise it after the tags went in:
// TagLib 1.x reports a save as done even when a write fell short.
struct AudioProbe {
  long size = 0;
  ByteVector head;
  ByteVector tail;
};

bool Matches(FileStream& stream, long offset, const ByteVector& expected) {
  stream.seek(offset);
  return stream.readBlock(expected.size()) == expected;
}

bool ReadProbe(const wchar_t* path, AudioProbe* probe) {
  FileStream stream(path, true);
  if (!stream.isOpen()) return false;
  probe->size = stream.length();
  long part = probe->size < kProbeBytes ? probe->size : kProbeBytes;
  probe->head = stream.readBlock(part);
  stream.seek(probe->size - part);
  probe->tail = stream.readBlock(part);
  return probe->size > 0 && static_cast<long>(probe->tail.size()) == part &&
         static_cast<long>(probe->head.size()) == part;
}

// 2.3 stays 2.3 and 2.4 stays 2.4, so every value reads back as it was;
// TagLib writes no 2.2, whose frames all have 2.3 forms.
ID3v2::Version OutputVersion(const ID3v2::Tag& tag) {
  return tag.header()->majorVersion() == 4 ? ID3v2::v4 : ID3v2::v3;
}

bool LengthChanged(const TagTiming& timing) {
  return timing.inputFrames > 0 && timing.outputFrames != timing.inputFrames;
}

unsigned int Scaled(unsigned int time, const TagTiming& timing) {
  double ratio = static_cast<double>(timing.outputFrames) / static_cast<double>(timing.inputFrames);
  return static_cast<unsigned int>(static_cast<double>(time) * ratio + 0.5);
}

void MoveChapter(ID3v2::ChapterFrame* chapter, const TagTiming& timing) {
  chapter->setStartOffset(kUnknownOffset);
  chapter->setEndOffset(kUnknownOffset);
  if (!LengthChanged(timing)) return;
  chapter->setStartTime(Scaled(chapter->startTime(), timing));
  chapter->setEndTime(Scaled(chapter->endTime(), timing));
}

// Both time units (milliseconds, MPEG frames) grow with the length alike.
void MoveLyrics(ID3v2::SynchronizedLyricsFrame* lyrics, const TagTiming& timing) {
  ID3v2::SynchronizedLyricsFrame::SynchedTextList lines = lyrics->synchedText();
  for (auto line = lines.begin(); line != lines.end(); ++line) {
    line->time = Scaled(line->time, timing);
  }
  lyrics->setSynchedText(lines);
}

void MoveEvents(ID3v2::EventTimingCodesFrame* codes, const TagTiming& timing) {
  ID3v2::EventTimingCodesFrame::SynchedEventList events = codes->synchedEvents();
  for (auto event = events.begin(); event != events.end(); ++event) {
    event->time = Scaled(event->time, timing);
  }
  codes->setSynchedEvents(events);
}

// Chapters, synchronised lyrics and event codes point at moments of the
// audio: when the plug-in made it longer or shorter, they move with it.
void MoveInTime(ID3v2::Frame* frame, const TagTiming& timing) {
  if (auto* chapter = dynamic_cast<ID3v2::ChapterFrame*>(frame)) {
    MoveChapter(chapter, timing);
  } else if (!LengthChanged(timing)) {
    return;
  } else if (auto* lyrics = dynamic_cast<ID3v2::SynchronizedLyricsFrame*>(frame)) {
    MoveLyrics(lyrics, timing);
  } else if (auto* codes = dynamic_cast<ID3v2::EventTimingCodesFrame*>(frame)) {
    MoveEvents(codes, timing);
  }
}

// TagLib shows a frame's header (its flags, the version it renders in) only
// to its own classes; a pointer to the member, named through a class derived
// from Frame, reaches it on any frame.
struct FrameHeader : ID3v2::Frame {
  // Compressed or encrypted frames cannot be copied: without zlib or the key
  // they could only be written back damaged.
  static bool IsReadable(const ID3v2::Frame* frame) {
    Header* header = (frame->*(&FrameHeader::header))();
    return !header->compression() && !header->encryption();
  }
  static void SetVersion(const ID3v2::Frame* frame, unsigned int version) {
    (frame->*(&FrameHeader::header))()->setVersion(version);
  }
};

// A frame rendered in the output's version and made anew by the frame
// factory: TagLib's frames cannot be copied otherwise, and this way a frame
// of a kind TagLib knows comes back as that kind.
ID3v2::Frame* Remade(ID3v2::Frame* frame, const ID3v2::Header& header) {
  if (!FrameHeader::IsReadable(frame)) return nullptr;
  FrameHeader::SetVersion(frame, header.majorVersion());
  return ID3v2::FrameFactory::instance()->createFrame(frame->render(), &header);
}

void CopyVersion2(const ID3v2::Tag& from, ID3v2::Tag* to, const TagTiming& timing) {
  ID3v2::Header header;
  header.setMajorVersion(OutputVersion(from));
  const ID3v2::FrameList& frames = from.frameList();
  for (auto it = frames.begin(); it != frames.end(); ++it) {
    ID3v2::Frame* copy = Remade(*it, header);
    if (!copy) continue;
    if (copy->frameID() == "TLEN" && timing.sampleRate > 0) {
      copy->setText(String::number(static_cast<int>(timing.outputFrames * 1000 / timing.sampleRate)));
    }
    MoveInTime(copy, timing);
    to->addFrame(copy);
  }
}

// Items keep the case of their keys.
void CopyApe(const APE::Tag& from, APE::Tag* to) {
  const APE::ItemListMap& items = from.itemListMap();
  for (auto it = items.begin(); it != items.end(); ++it) to->setItem(it->second.key(), it->second);
}

void CopyVersion1(const ID3v1::Tag& from, ID3v1::Tag* to) {
  to->setTitle(from.title());
  to->setArtist(from.artist());
  to->setAlbum(from.album());
  to->setYear(from.year());
  to->setComment(from.comment());
  to->setTrack(from.track());
  to->setGenreNumber(from.genreNumber());  // Winamp's extended genres too
}

// Which of a file's tags hold anything (in memory: read, or made to be
// written).
int TagsOf(MPEG::File& file) {
  int tags = MPEG::File::NoTags;
  if (file.ID3v2Tag() && !file.ID3v2Tag()->isEmpty()) tags |= MPEG::File::ID3v2;
  if (file.APETag() && !file.APETag()->isEmpty()) tags |= MPEG::File::APE;
  if (file.ID3v1Tag() && !file.ID3v1Tag()->isEmpty()) tags |= MPEG::File::ID3v1;
  return tags;
}

// What was written goes in `written`; a tag left empty (every frame of it
// left out) is not written at all.
bool Write(MPEG::File& from, const wchar_t* output, const TagTiming& timing,
           ID3v2::Version version, int* written) {
  int tags = TagsOf(from);
  MPEG::File to(output, false);
  if (!to.isOpen() || to.readOnly()) return false;
  if (tags & MPEG::File::ID3v2) CopyVersion2(*from.ID3v2Tag(), to.ID3v2Tag(true), timing);
  if (tags & MPEG::File::APE) CopyApe(*from.APETag(), to.APETag(true));
  if (tags & MPEG::File::ID3v1) CopyVersion1(*from.ID3v1Tag(), to.ID3v1Tag(true));
  *written = TagsOf(to);
  return *written == MPEG::File::NoTags ||
         to.save(*written, File::StripOthers, version, File::DoNotDuplicate);
}

// The tags that were written are there, in their version, and between them
// lies the audio, whole: the file is exactly as long as tags and audio
// together, and the audio begins and ends as it did.
bool ReadsBack(const wchar_t* path, int tags, ID3v2::Version version, const AudioProbe& probe) {
  FileStream stream(path, true);
  if (!stream.isOpen()) return false;
  MPEG::File file(&stream, ID3v2::FrameFactory::instance(), false);
  if (TagsOf(file) != tags) return false;
  long front = 0, back = 0;
  if (tags & MPEG::File::ID3v2) {
    if (file.ID3v2Tag()->header()->majorVersion() != static_cast<unsigned int>(version)) return false;
    front = file.ID3v2Tag()->header()->completeTagSize();
  }
  if (tags & MPEG::File::APE) back += file.APETag()->footer()->completeTagSize();
  if (tags & MPEG::File::ID3v1) back += kVersion1Size;
  return stream.length() == front + probe.size + back && Matches(stream, front, probe.head) &&
         Matches(stream, front + probe.size - static_cast<long>(probe.tail.size()), probe.tail);
}

}  // namespace

bool TagCopier::Copy(const wchar_t* input, const wchar_t* output, const TagTiming& timing) {
  if (!input || !output) return false;
  FileStream source(input, true);  // the user's file is never opened for writing
  if (!source.isOpen()) return false;
  MPEG::File from(&source, ID3v2::FrameFactory::instance(), false);
  if (TagsOf(from) == MPEG::File::NoTags) return true;
  ID3v2::Version version = from.ID3v2Tag() ? OutputVersion(*from.ID3v2Tag()) : ID3v2::v4;
  AudioProbe probe;
  int written = MPEG::File::NoTags;
  return ReadProbe(output, &probe) && Write(from, output, timing, version, &written) &&
         ReadsBack(output, written, version, probe);
}
