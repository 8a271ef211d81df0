#include "ExistingOutputsQuestion.h"

#include <commctrl.h>

#include <string>

#include "FilePath.h"

namespace ExistingOutputsQuestion {

namespace {

constexpr int kReplaceId = 100;
constexpr int kSkipId = 101;
constexpr size_t kNamesShown = 8;

std::wstring Describe(const BatchPlan& plan, const std::vector<size_t>& existing) {
  std::wstring text = std::to_wstring(existing.size()) + L" of the " +
                      std::to_wstring(plan.PendingCount()) +
                      L" output files exist already:";
  for (size_t i = 0; i < existing.size() && i < kNamesShown; ++i) {
    text += L"\n";
    text += FilePath::NameOf(plan.Items()[existing[i]].output);
  }
  if (existing.size() > kNamesShown) text += L"\n…";
  text += L"\n\nReplace them, skip those files, or cancel the conversion?";
  return text;
}

}  // namespace

Answer Ask(HWND owner, const BatchPlan& plan, const std::vector<size_t>& existing) {
  std::wstring text = Describe(plan, existing);
  TASKDIALOG_BUTTON buttons[] = {{kReplaceId, L"Replace"}, {kSkipId, L"Skip those"}};
  TASKDIALOGCONFIG config = {};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
  config.pszWindowTitle = L"Confirm Replace";
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = text.c_str();
  config.cButtons = sizeof buttons / sizeof buttons[0];
  config.pButtons = buttons;
  config.nDefaultButton = kSkipId;
  int pressed = IDCANCEL;
  if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) return Answer::Cancel;
  if (pressed == kReplaceId) return Answer::Replace;
  if (pressed == kSkipId) return Answer::Skip;
  return Answer::Cancel;
}

}  // namespace ExistingOutputsQuestion
