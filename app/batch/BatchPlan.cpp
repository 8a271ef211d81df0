#include "BatchPlan.h"

#include <windows.h>

#include <cwctype>
#include <set>
#include <string>
#include <utility>

#include "FilePath.h"
#include "InputCheck.h"
#include "OutputFile.h"
#include "ProcessingJob.h"

namespace {

const wchar_t* ProblemText(InputCheck::Problem problem) {
  switch (problem) {
    case InputCheck::Problem::None:
      break;
    case InputCheck::Problem::CannotOpen:
      return L"it cannot be opened";
    case InputCheck::Problem::NotMp3:
      return L"it is not an MP3 file";
    case InputCheck::Problem::Not16Bit:
      return L"it is not a 16-bit MP3 file";
    case InputCheck::Problem::NotStereo:
      return L"it is not a stereo MP3 file";
    case InputCheck::Problem::Not44100:
      return L"its sample rate is not 44100 Hz";
  }
  return L"";
}

// Windows compares names without case.
std::wstring NameKey(const std::wstring& path) {
  std::wstring key = path;
  for (wchar_t& c : key) c = static_cast<wchar_t>(towlower(c));
  return key;
}

// "name (2).mp3" for the second of one name, and so on.
std::wstring Numbered(const std::wstring& path, int number) {
  size_t dot = path.size() - 4;  // every output ends in ".mp3"
  return path.substr(0, dot) + L" (" + std::to_wstring(number) + L")" + path.substr(dot);
}

using FileIdentity = std::pair<DWORD, unsigned long long>;

// The volume and file index: one file whatever the path's spelling.
bool IdentityOf(const wchar_t* path, FileIdentity* identity) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = CreateFileW(path, 0, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (known) {
    *identity = {info.dwVolumeSerialNumber,
                 (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  }
  return known;
}

bool Exists(const KString& path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

void BatchPlan::SetInputs(const std::vector<KString>& inputs) {
  inputs_ = inputs;
  items_.clear();
}

KString BatchPlan::Describe() const {
  constexpr size_t kNamesShown = 3;
  std::wstring text = std::to_wstring(inputs_.size()) + L" files: ";
  for (size_t i = 0; i < inputs_.size() && i < kNamesShown; ++i) {
    if (i > 0) text += L", ";
    text += FilePath::NameOf(inputs_[i]);
  }
  if (inputs_.size() > kNamesShown) text += L", \u2026";
  return KString(text.c_str());
}

void BatchPlan::Check(ProcessingJob& job, const KString& folder, BusyPump* pump) {
  items_.clear();
  items_.reserve(inputs_.size());
  for (const KString& input : inputs_) {
    BatchItem item;
    item.input = input;
    CheckInput(job, &item);
    items_.push_back(item);
    if (pump) pump->KeepResponsive(items_.size());
  }
  if (folder.IsEmpty()) return;
  NameOutputs(folder);
  SkipOutputsThatAreInputs();
}

void BatchPlan::CheckInput(ProcessingJob& job, BatchItem* item) {
  InputCheck::Problem problem = InputCheck::Open(job, item->input, false);
  if (problem != InputCheck::Problem::None) {
    item->outcome = BatchOutcome::Skipped;
    item->reason = ProblemText(problem);
    return;
  }
  item->length = job.MeasureLength();
  job.CloseInput();
}

void BatchPlan::NameOutputs(const KString& folder) {
  std::wstring base = static_cast<const wchar_t*>(folder);
  if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
  std::set<std::wstring> taken;
  for (BatchItem& item : items_) {
    if (item.outcome != BatchOutcome::Pending) continue;
    KString named = FilePath::WithMp3Extension(KString((base + FilePath::NameOf(item.input)).c_str()));
    std::wstring path = static_cast<const wchar_t*>(named);
    std::wstring candidate = path;
    for (int number = 2; taken.count(NameKey(candidate)); ++number) {
      candidate = Numbered(path, number);
    }
    taken.insert(NameKey(candidate));
    item.output = KString(candidate.c_str());
  }
}

// Only an output that exists can be an input; those are compared with
// every input by file identity, so no spelling of a path slips through.
void BatchPlan::SkipOutputsThatAreInputs() {
  std::set<FileIdentity> inputs;
  for (const KString& input : inputs_) {
    FileIdentity identity;
    if (IdentityOf(input, &identity)) inputs.insert(identity);
  }
  for (BatchItem& item : items_) {
    if (item.outcome != BatchOutcome::Pending) continue;
    FileIdentity identity;
    if (IdentityOf(item.output, &identity) && inputs.count(identity)) {
      item.outcome = BatchOutcome::Skipped;
      item.reason =
          KString(L"its output would replace an input file: ") + FilePath::NameOf(item.output);
    }
  }
}

std::vector<size_t> BatchPlan::ExistingOutputs() const {
  std::vector<size_t> existing;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].outcome == BatchOutcome::Pending && Exists(items_[i].output)) existing.push_back(i);
  }
  return existing;
}

void BatchPlan::SkipExisting() {
  for (size_t index : ExistingOutputs()) {
    items_[index].outcome = BatchOutcome::Skipped;
    items_[index].reason = L"its output exists already";
  }
}

void BatchPlan::SkipUnreplaceable() {
  for (size_t index : ExistingOutputs()) {
    DWORD error = OutputFile::CheckReplaceable(items_[index].output);
    if (error == ERROR_SUCCESS) continue;
    items_[index].outcome = BatchOutcome::Skipped;
    items_[index].reason =
        KString(L"its output cannot be replaced: ") + OutputFile::DescribeError(error);
  }
}

size_t BatchPlan::PendingCount() const {
  size_t pending = 0;
  for (const BatchItem& item : items_) pending += item.outcome == BatchOutcome::Pending;
  return pending;
}
