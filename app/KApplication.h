#pragma once

class KString;

// The root of an application: the entry point runs it with the program's
// argument strings and returns what Execute returns.
class KApplication {
 public:
  virtual int Execute(KString** arguments, int count) {
    (void)arguments;
    (void)count;
    return 0;
  }
  virtual ~KApplication() = default;
};
