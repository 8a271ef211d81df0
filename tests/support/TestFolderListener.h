#pragma once

#include <gtest/gtest.h>

#include <string>

// Gives every test case an empty folder of its own, named after it, under the
// folder the test program was started in, and makes it the current folder
// while the case runs. Cases that run side by side (ctest -j) never see each
// other's files, and a repeated case starts from nothing again.
class TestFolderListener : public ::testing::EmptyTestEventListener {
 public:
  // The folder a case works in, relative to the starting folder.
  static std::wstring FolderName(const ::testing::TestInfo& test);
  // An empty folder of the running case's own inside `root` (for volumes of
  // the test command's, such as the small disk), made afresh.
  static std::wstring FreshFolderIn(const std::wstring& root);

  void OnTestStart(const ::testing::TestInfo& test) override;
  void OnTestEnd(const ::testing::TestInfo& test) override;

 private:
  std::wstring startFolder_;
};
