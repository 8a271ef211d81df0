#include "Mp3FileWriter.h"

Mp3FileWriter::~Mp3FileWriter() { Finish(); }

bool Mp3FileWriter::Open(const std::string& path, int rate, int channels, int kbps) {
  // "w+b": LAME reads the first frame back to write the gapless tag.
  file_ = std::fopen(path.c_str(), "w+b");
  if (!file_) return false;
  encoder_ = lame_init();
  channels_ = channels;
  lame_set_num_channels(encoder_, channels);
  lame_set_in_samplerate(encoder_, rate);
  lame_set_out_samplerate(encoder_, rate);
  lame_set_brate(encoder_, kbps);
  lame_set_mode(encoder_, channels == 1 ? MONO : STEREO);
  ok_ = lame_init_params(encoder_) >= 0;
  out_.resize(7200);
  return ok_;
}

bool Mp3FileWriter::Append(const std::vector<int16_t>& pcm) {
  if (!encoder_) return false;
  int frames = static_cast<int>(pcm.size() / channels_);
  out_.resize(static_cast<size_t>(frames) * 5 / 4 + 7200);
  copy_ = pcm;  // LAME's mono call wants writable buffers
  int capacity = static_cast<int>(out_.size());
  int count = channels_ == 1
                  ? lame_encode_buffer(encoder_, copy_.data(), copy_.data(), frames, out_.data(),
                                       capacity)
                  : lame_encode_buffer_interleaved(encoder_, copy_.data(), frames, out_.data(),
                                                   capacity);
  return Write(count);
}

bool Mp3FileWriter::Finish() {
  if (!encoder_) return false;
  Write(lame_encode_flush(encoder_, out_.data(), static_cast<int>(out_.size())));
  lame_mp3_tags_fid(encoder_, file_);
  lame_close(encoder_);
  encoder_ = nullptr;
  std::fclose(file_);
  file_ = nullptr;
  return ok_;
}

bool Mp3FileWriter::Write(int count) {
  if (count < 0) ok_ = false;
  if (count > 0 && std::fwrite(out_.data(), 1, count, file_) != static_cast<size_t>(count)) {
    ok_ = false;
  }
  return ok_;
}
