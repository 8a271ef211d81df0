#pragma once

#include <windows.h>

#include "KStringBody.h"

// UTF-16 text in a shared, reference-counted body. An empty string usually
// has no body; a narrow (ANSI code page) form is made on demand and cached.
// When memory runs out, an operation yields the empty string.
class KString {
 public:
  KString();
  KString(const wchar_t* text);  // implicit: wide text wherever a KString goes
  KString(const char* text);     // implicit: ANSI text likewise
  KString(const KString& other);

  KString& operator=(const KString& other);
  KString& operator=(const wchar_t* text);
  KString operator+(const KString& text) const;

  operator const wchar_t*() const;
  operator const char*() const;

  // -1 (all bits set) for every index outside the text or without narrow form.
  char NarrowCharAt(int index) const;

  // The body this value shares (null for most empty strings).
  const KStringBody* GetBody() const;

  virtual KString Append(const KString& text) const;
  virtual KString Extract(int start, int end) const;
  virtual bool SameAs(const KString& text) const;
  virtual bool FirstCharIs(char c) const;
  virtual bool FirstCharIs(wchar_t c) const;
  virtual bool LastCharIs(char c) const;
  virtual bool LastCharIs(wchar_t c) const;
  virtual bool IsQuoted() const;
  virtual wchar_t CharAt(int index) const;
  virtual int GetLength() const;
  virtual bool IsEmpty() const;
  virtual int ToInt() const;
  virtual ~KString();

 private:
  // Takes ownership of `wideText` (length characters plus terminator).
  static KStringBody* NewBody(wchar_t* wideText, int length);
  static KStringBody* NewBodyCopying(const wchar_t* text, int length);
  static void Retain(KStringBody* body);
  static void Release(KStringBody* body);
  const char* NarrowText() const;

  KStringBody* body_;
};
