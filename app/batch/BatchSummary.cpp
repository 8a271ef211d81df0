#include "BatchSummary.h"

#include <string>

#include "BatchRun.h"
#include "FilePath.h"

namespace {

// A message box taller than the screen hides its buttons.
constexpr int kListedPerSection = 12;

}  // namespace

BatchSummary::BatchSummary(const BatchRun& run) : run_(run) {
  for (const BatchItem& item : run.Items()) {
    ++total_;
    if (item.outcome == BatchOutcome::Done) ++done_;
  }
}

KString BatchSummary::Text() const {
  return Headline() + Section(BatchOutcome::Failed, L"Failed:") +
         Section(BatchOutcome::Skipped, L"Skipped:") +
         Section(BatchOutcome::NotReached, L"Not reached:");
}

KString BatchSummary::Headline() const {
  std::wstring text = std::to_wstring(done_) + L" of " + std::to_wstring(total_) + L" files ";
  if (run_.Kind() == JobKind::Preview) {
    text += L"were played.";
  } else {
    text += L"were converted into:\n";
    text += static_cast<const wchar_t*>(run_.Folder());
  }
  switch (run_.StoppedBy()) {
    case JobEnding::Aborted:
      text += L"\n\nStopped before the end.";
      break;
    case JobEnding::PluginFault:
      text += L"\n\nThe DSP plug-in crashed, which ended the batch.";
      break;
    case JobEnding::WriteError:
      text += L"\n\nThe disk is full, which ended the batch.";
      break;
    default:
      break;
  }
  return KString(text.c_str());
}

KString BatchSummary::Section(BatchOutcome outcome, const wchar_t* heading) const {
  std::wstring text;
  int listed = 0;
  int more = 0;
  for (const BatchItem& item : run_.Items()) {
    if (item.outcome != outcome) continue;
    if (listed == kListedPerSection) {
      ++more;
      continue;
    }
    text += L"\n";
    text += FilePath::NameOf(item.input);
    if (!item.reason.IsEmpty()) {
      text += L": ";
      text += static_cast<const wchar_t*>(item.reason);
    }
    ++listed;
  }
  if (listed == 0) return KString();
  if (more > 0) text += L"\n… and " + std::to_wstring(more) + L" more";
  return KString((L"\n\n" + std::wstring(heading) + text).c_str());
}

const wchar_t* BatchSummary::Caption() const {
  if (run_.Kind() == JobKind::Preview) return L"Preview";
  if (done_ == total_) return L"Conversion Success!";
  if (run_.StoppedBy() == JobEnding::Aborted) return L"Conversion Aborted!";
  return L"Conversion Finished";
}

UINT BatchSummary::Icon() const {
  if (done_ == total_ || run_.StoppedBy() == JobEnding::Aborted) return MB_ICONINFORMATION;
  return done_ == 0 ? MB_ICONERROR : MB_ICONWARNING;
}

bool BatchSummary::HasNews() const {
  if (run_.Kind() == JobKind::Conversion) return true;
  for (const BatchItem& item : run_.Items()) {
    if (item.outcome == BatchOutcome::Failed && run_.StoppedBy() != JobEnding::Aborted) return true;
    if (item.outcome == BatchOutcome::Skipped) return true;
  }
  return false;
}
