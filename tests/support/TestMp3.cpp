#include "TestMp3.h"

#include "Mp3FileWriter.h"

#include <mpg123.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <cmath>
#include <cstdio>

namespace TestMp3 {

bool Write(const std::string& path, const std::vector<int16_t>& pcm, int rate, int channels,
           int kbps) {
  Mp3FileWriter writer;
  bool ok = writer.Open(path, rate, channels, kbps) && writer.Append(pcm);
  return writer.Finish() && ok;
}

Decoded Read(const std::string& path) {
  Decoded result;
  mpg123_init();
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  int encoding = 0;
  if (mpg123_open(decoder, path.c_str()) == MPG123_OK &&
      mpg123_getformat(decoder, &result.rate, &result.channels, &encoding) == MPG123_OK) {
    std::vector<unsigned char> block(mpg123_outblock(decoder));
    size_t done = 0;
    int status;
    do {
      status = mpg123_read(decoder, block.data(), block.size(), &done);
      const int16_t* samples = reinterpret_cast<const int16_t*>(block.data());
      // The last piece comes with MPG123_DONE.
      if (status == MPG123_OK || status == MPG123_DONE) {
        result.pcm.insert(result.pcm.end(), samples, samples + done / 2);
      }
    } while (status == MPG123_OK);
    result.ok = status == MPG123_DONE;
    mpg123_close(decoder);
  }
  mpg123_delete(decoder);
  return result;
}

bool AddReplayGain(const std::string& path) {
  TagLib::MPEG::File file(path.c_str());
  const char* const values[][2] = {{"REPLAYGAIN_TRACK_GAIN", "-6.00 dB"},
                                   {"REPLAYGAIN_TRACK_PEAK", "0.500000"}};
  for (const auto& value : values) {
    auto* text = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
    text->setDescription(value[0]);
    text->setText(value[1]);
    file.ID3v2Tag(true)->addFrame(text);
  }
  return file.save();
}

double ChannelLevel(const std::vector<int16_t>& stereo, int channel) {
  double sum = 0;
  size_t frames = stereo.size() / 2;
  for (size_t i = 0; i < frames; ++i) {
    double value = stereo[2 * i + channel];
    sum += value * value;
  }
  return frames ? std::sqrt(sum / frames) : 0;
}

bool AddCover(const std::string& path, unsigned int bytes) {
  TagLib::MPEG::File file(path.c_str());
  auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
  picture->setMimeType("image/jpeg");
  picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
  TagLib::ByteVector data(bytes, 0);
  for (unsigned int i = 0; i < bytes; ++i) data[i] = static_cast<char>(i * 7919 % 251);
  picture->setPicture(data);
  file.ID3v2Tag(true)->addFrame(picture);
  return file.save();
}

bool Tag(const std::wstring& path, const std::string& title, int disc, int track) {
  TagLib::MPEG::File file(path.c_str());
  TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
  tag->setTitle(TagLib::String(title, TagLib::String::UTF8));
  if (track > 0) tag->setTrack(static_cast<unsigned int>(track));
  if (disc > 0) {
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame("TPOS", TagLib::String::Latin1);
    frame->setText(TagLib::String::number(disc));
    tag->addFrame(frame);
  }
  return file.save(TagLib::MPEG::File::ID3v2);
}

std::string Title(const std::wstring& path) {
  TagLib::MPEG::File file(path.c_str());
  return file.tag() ? file.tag()->title().to8Bit(true) : std::string();
}

}  // namespace TestMp3
