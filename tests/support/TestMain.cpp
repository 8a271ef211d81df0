// The test programs' entry: GoogleTest, with every case in a folder of its
// own.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestEnvironment.h"
#include "TestFolderListener.h"

namespace {

// Where the runner looks for the result when Wine has killed a program that
// had already ended (scripts/wine-test-program.sh).
void WriteResult(int result) {
  std::string path = TestEnvironment::Variable("VT_RESULT_FILE");
  if (path.empty()) return;
  FILE* file = std::fopen(TestEnvironment::WindowsPath(path).c_str(), "w");
  if (!file) return;
  std::fprintf(file, "%d\n", result);
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new TestFolderListener);
  int result = RUN_ALL_TESTS();
  WriteResult(result);
  return result;
}
