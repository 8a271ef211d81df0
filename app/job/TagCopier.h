#pragma once

#include <lame/lame.h>
#include <mpg123.h>

// Carries the input's tags over into the output, as every converter users
// know does: libmpg123 reads them (ID3v2 text frames, comments and the
// front-cover picture, or an ID3v1 tag), LAME's own ID3 writer writes them.
// Text goes through UTF-16, so any script survives.
class TagCopier {
 public:
  // Between lame_init and lame_init_params; the decoder is open on the input.
  static void Copy(mpg123_handle* decoder, lame_global_flags* encoder);

 private:
  static void CopyVersion2(const mpg123_id3v2& tags, lame_global_flags* encoder);
  static void CopyVersion1(const mpg123_id3v1& tag, lame_global_flags* encoder);
  static void CopyPicture(const mpg123_id3v2& tags, lame_global_flags* encoder);
};
