// The test programs' entry: GoogleTest, with every case in a folder of its
// own.
#include <gtest/gtest.h>

#include "TestFolderListener.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new TestFolderListener);
  return RUN_ALL_TESTS();
}
