#pragma once

#include <string>
#include <vector>

// A benchmark program's command line ("--name value" pairs, "--out FILE"
// among them) and the section of BENCHMARKS.md it reports.
class BenchProgram {
 public:
  BenchProgram();

  void Number(const char* name, int* value);
  void Text(const char* name, std::string* value);
  // False on a name it does not know or a name without its value.
  bool Parse(int argc, char** argv);
  // Prints the section and, with --out, writes it there as it is: its
  // lines end in "\n" alone, as the rest of the Markdown does.
  void Publish(const std::string& section) const;

 private:
  struct Option {
    std::string name;
    int* number;
    std::string* text;
  };
  std::vector<Option> options_;
  std::string out_;
};
