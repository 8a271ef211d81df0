#include "TestFolderListener.h"

#include <windows.h>

#include "TestFiles.h"

std::wstring TestFolderListener::FolderName(const ::testing::TestInfo& test) {
  std::string name = std::string(test.test_suite_name()) + "." + test.name();
  std::wstring folder(name.begin(), name.end());
  // Parameterised cases carry '/' in their names.
  for (wchar_t& c : folder) {
    if (c == L'/' || c == L'\\') c = L'_';
  }
  return folder;
}

std::wstring TestFolderListener::FreshFolderIn(const std::wstring& root) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring folder = root + L"\\" + (test ? FolderName(*test) : L"outside-tests");
  TestFiles::RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void TestFolderListener::OnTestStart(const ::testing::TestInfo&) {
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  startFolder_ = current;
  if (!SetCurrentDirectoryW(FreshFolderIn(startFolder_).c_str())) {
    ADD_FAILURE() << "cannot work in a folder of this test's own";
  }
}

void TestFolderListener::OnTestEnd(const ::testing::TestInfo&) {
  SetCurrentDirectoryW(startFolder_.c_str());
}
