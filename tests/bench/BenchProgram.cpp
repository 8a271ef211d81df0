#include "BenchProgram.h"

#include <cstdio>
#include <cstdlib>

#include "TestEnvironment.h"

BenchProgram::BenchProgram() { Text("--out", &out_); }

void BenchProgram::Number(const char* name, int* value) {
  options_.push_back({name, value, nullptr});
}

void BenchProgram::Text(const char* name, std::string* value) {
  options_.push_back({name, nullptr, value});
}

bool BenchProgram::Parse(int argc, char** argv) {
  if (argc % 2 == 0) return false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const Option* found = nullptr;
    for (const Option& option : options_) {
      if (option.name == argv[i]) found = &option;
    }
    if (!found) return false;
    if (found->number) {
      *found->number = std::atoi(argv[i + 1]);
    } else {
      *found->text = argv[i + 1];
    }
  }
  return true;
}

void BenchProgram::Publish(const std::string& section) const {
  std::printf("%s", section.c_str());
  if (out_.empty()) return;
  FILE* file = std::fopen(TestEnvironment::WindowsPath(out_).c_str(), "wb");
  if (!file) return;
  std::fputs(section.c_str(), file);
  std::fclose(file);
}
