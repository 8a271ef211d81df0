#include "KString.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

constexpr wchar_t kNoChar = 0xFFFF;
constexpr char kNoNarrowChar = -1;

}  // namespace

KString::KString() : body_(nullptr) {}

KString::KString(const wchar_t* text) : body_(nullptr) {
  if (text && text[0]) body_ = NewBodyCopying(text, static_cast<int>(wcslen(text)));
}

KString::KString(const char* text) : body_(nullptr) {
  if (!text) return;
  int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (size == 0) return;
  wchar_t* wide = static_cast<wchar_t*>(malloc(size * sizeof(wchar_t)));
  if (!wide) return;
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, size) == 0) {
    free(wide);
    return;
  }
  body_ = NewBody(wide, size - 1);
}

KString::KString(const KString& other) : body_(other.body_) { Retain(body_); }

KString& KString::operator=(const KString& other) {
  // Retain first: assigning a value to itself must not free its body.
  Retain(other.body_);
  Release(body_);
  body_ = other.body_;
  return *this;
}

KString& KString::operator=(const wchar_t* text) {
  KStringBody* fresh = nullptr;
  if (text && text[0]) fresh = NewBodyCopying(text, static_cast<int>(wcslen(text)));
  Release(body_);
  body_ = fresh;
  return *this;
}

KString KString::operator+(const KString& text) const { return Append(text); }

KString::operator const wchar_t*() const { return body_ ? body_->wideText : nullptr; }

KString::operator const char*() const { return NarrowText(); }

char KString::NarrowCharAt(int index) const {
  if (!body_ || index < 0 || index > GetLength() - 1) return kNoNarrowChar;
  const char* narrow = NarrowText();
  if (!narrow || static_cast<int>(strlen(narrow)) < index + 1) return kNoNarrowChar;
  return narrow[index];
}

const KStringBody* KString::GetBody() const { return body_; }

KString KString::Append(const KString& text) const {
  if (text.GetLength() == 0) return *this;
  int ownLength = GetLength();
  int length = ownLength + text.GetLength();
  wchar_t* wide = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
  if (!wide) return KString();
  if (ownLength != 0) memcpy(wide, body_->wideText, ownLength * sizeof(wchar_t));
  memcpy(wide + ownLength, text.body_->wideText, (text.GetLength() + 1) * sizeof(wchar_t));
  KString result;
  result.body_ = NewBody(wide, length);
  return result;
}

KString KString::Extract(int start, int end) const {
  int length = GetLength();
  if (start < 0 || start > length - 1 || start >= end || end > length - 1) return KString();
  int count = end - start + 1;
  wchar_t* scratch = static_cast<wchar_t*>(malloc((count + 1) * sizeof(wchar_t)));
  if (!scratch) return KString();
  memcpy(scratch, body_->wideText + start, count * sizeof(wchar_t));
  scratch[count] = 0;
  KString result(scratch);
  free(scratch);
  return result;
}

bool KString::SameAs(const KString& text) const {
  if (text.GetLength() == 0 || GetLength() == 0) return false;
  return wcscmp(body_->wideText, text.body_->wideText) == 0;
}

bool KString::FirstCharIs(char c) const {
  if (IsEmpty()) return false;
  const char* narrow = NarrowText();
  return narrow && narrow[0] == c;
}

bool KString::FirstCharIs(wchar_t c) const {
  return !IsEmpty() && body_->wideText[0] == c;
}

bool KString::LastCharIs(char c) const {
  if (IsEmpty()) return false;
  const char* narrow = NarrowText();
  if (!narrow || !narrow[0]) return false;
  return narrow[strlen(narrow) - 1] == c;
}

bool KString::LastCharIs(wchar_t c) const {
  return !IsEmpty() && body_->wideText[body_->length - 1] == c;
}

bool KString::IsQuoted() const {
  return GetLength() > 1 && FirstCharIs(L'"') && LastCharIs(L'"');
}

wchar_t KString::CharAt(int index) const {
  if (index < 0 || index > GetLength() - 1) return kNoChar;
  return body_->wideText[index];
}

int KString::GetLength() const { return body_ ? body_->length : 0; }

bool KString::IsEmpty() const { return !body_ || body_->length == 0; }

int KString::ToInt() const { return IsEmpty() ? 0 : _wtoi(body_->wideText); }

KString::~KString() { Release(body_); }

KStringBody* KString::NewBody(wchar_t* wideText, int length) {
  KStringBody* body = new (std::nothrow) KStringBody;
  if (!body) {
    free(wideText);
    return nullptr;
  }
  body->referenceCount = 0;
  body->narrowText = nullptr;
  InitializeCriticalSection(&body->narrowLock);
  body->wideText = wideText;
  body->length = length;
  InterlockedIncrement(&body->referenceCount);
  return body;
}

KStringBody* KString::NewBodyCopying(const wchar_t* text, int length) {
  wchar_t* wide = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
  if (!wide) return nullptr;
  memcpy(wide, text, (length + 1) * sizeof(wchar_t));
  return NewBody(wide, length);
}

void KString::Retain(KStringBody* body) {
  if (body) InterlockedIncrement(&body->referenceCount);
}

void KString::Release(KStringBody* body) {
  if (!body || InterlockedDecrement(&body->referenceCount) != 0) return;
  free(body->narrowText);
  free(body->wideText);
  DeleteCriticalSection(&body->narrowLock);
  delete body;
}

// Made once per body, under the body's lock, so threads sharing the body get
// one buffer; a failed conversion is not cached and is retried next time.
const char* KString::NarrowText() const {
  if (!body_) return nullptr;
  EnterCriticalSection(&body_->narrowLock);
  if (!body_->narrowText) {
    int size = WideCharToMultiByte(CP_ACP, 0, body_->wideText, -1, nullptr, 0, nullptr, nullptr);
    if (size != 0) {
      body_->narrowText = static_cast<char*>(malloc(size));
      if (body_->narrowText &&
          WideCharToMultiByte(CP_ACP, 0, body_->wideText, -1, body_->narrowText, size,
                              nullptr, nullptr) == 0) {
        free(body_->narrowText);
        body_->narrowText = nullptr;
      }
    }
  }
  const char* narrow = body_->narrowText;
  LeaveCriticalSection(&body_->narrowLock);
  return narrow;
}
