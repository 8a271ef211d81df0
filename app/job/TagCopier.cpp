#include "TagCopier.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr unsigned short kByteOrderMark = 0xFEFF;
constexpr int kMaxText = 4096;  // characters; longer text is cut

// UTF-8 (the first of the string's null-separated values) as UTF-16 with a
// byte-order mark, as LAME's UTF-16 setters want it.
bool ToUtf16(const mpg123_string& text, unsigned short* wide) {
  wide[0] = kByteOrderMark;
  wide[1] = 0;
  if (!text.p || text.fill == 0) return true;
  int length = MultiByteToWideChar(CP_UTF8, 0, text.p, static_cast<int>(strnlen(text.p, text.fill)),
                                   reinterpret_cast<wchar_t*>(wide + 1), kMaxText - 2);
  wide[length + 1] = 0;
  return length > 0 || text.p[0] == 0;
}

bool IsCopiedTextFrame(const char* id) {
  return id[0] == 'T' && memcmp(id, "TXXX", 4) != 0;
}

// ID3v1 fields are fixed-size Latin-1 text, padded with nulls or spaces.
void Trimmed(const char* field, size_t size, char* text) {
  size_t length = strnlen(field, size);
  while (length > 0 && field[length - 1] == ' ') --length;
  memcpy(text, field, length);
  text[length] = 0;
}

}  // namespace

void TagCopier::Copy(mpg123_handle* decoder, lame_global_flags* encoder) {
  mpg123_id3v1* version1 = nullptr;
  mpg123_id3v2* version2 = nullptr;
  if (mpg123_id3(decoder, &version1, &version2) != MPG123_OK) return;
  if (version2 && (version2->texts > 0 || version2->comments > 0 || version2->pictures > 0)) {
    id3tag_init(encoder);
    id3tag_v2_only(encoder);
    CopyVersion2(*version2, encoder);
  } else if (version1) {
    id3tag_init(encoder);
    CopyVersion1(*version1, encoder);
  }
}

void TagCopier::CopyVersion2(const mpg123_id3v2& tags, lame_global_flags* encoder) {
  unsigned short text[kMaxText], description[kMaxText];
  for (size_t i = 0; i < tags.texts; ++i) {
    const mpg123_text& frame = tags.text[i];
    if (!IsCopiedTextFrame(frame.id) || !ToUtf16(frame.text, text)) continue;
    char id[5] = {frame.id[0], frame.id[1], frame.id[2], frame.id[3], 0};
    id3tag_set_textinfo_utf16(encoder, id, text);
  }
  for (size_t i = 0; i < tags.comments; ++i) {
    const mpg123_text& comment = tags.comment_list[i];
    if (!ToUtf16(comment.text, text) || !ToUtf16(comment.description, description)) continue;
    char language[4] = {comment.lang[0], comment.lang[1], comment.lang[2], 0};
    id3tag_set_comment_utf16(encoder, language, description, text);
  }
  CopyPicture(tags, encoder);
}

// The front cover, or else the first picture; LAME takes JPEG, PNG and GIF.
void TagCopier::CopyPicture(const mpg123_id3v2& tags, lame_global_flags* encoder) {
  const mpg123_picture* chosen = nullptr;
  for (size_t i = 0; i < tags.pictures; ++i) {
    const mpg123_picture& picture = tags.picture[i];
    if (!chosen || picture.type == mpg123_id3_pic_front_cover) chosen = &picture;
    if (picture.type == mpg123_id3_pic_front_cover) break;
  }
  if (chosen && chosen->data && chosen->size > 0) {
    id3tag_set_albumart(encoder, reinterpret_cast<const char*>(chosen->data), chosen->size);
  }
}

void TagCopier::CopyVersion1(const mpg123_id3v1& tag, lame_global_flags* encoder) {
  char text[32];
  Trimmed(tag.title, sizeof tag.title, text);
  id3tag_set_title(encoder, text);
  Trimmed(tag.artist, sizeof tag.artist, text);
  id3tag_set_artist(encoder, text);
  Trimmed(tag.album, sizeof tag.album, text);
  id3tag_set_album(encoder, text);
  Trimmed(tag.year, sizeof tag.year, text);
  id3tag_set_year(encoder, text);
  // ID3v1.1 keeps the track in the comment's last byte, after a null.
  bool hasTrack = tag.comment[28] == 0 && tag.comment[29] != 0;
  Trimmed(tag.comment, hasTrack ? 28 : sizeof tag.comment, text);
  id3tag_set_comment(encoder, text);
  if (hasTrack) {
    wsprintfA(text, "%d", static_cast<unsigned char>(tag.comment[29]));
    id3tag_set_track(encoder, text);
  }
  if (tag.genre != 255) {
    wsprintfA(text, "%d", tag.genre);
    id3tag_set_genre(encoder, text);
  }
}
