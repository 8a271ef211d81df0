#pragma once

#include <windows.h>

#include <vector>

#include "BatchPlan.h"

// The one question before a batch whose outputs exist already: how many,
// the first names, and "Replace", "Skip those" or "Cancel".
namespace ExistingOutputsQuestion {

enum class Answer { Replace, Skip, Cancel };

Answer Ask(HWND owner, const BatchPlan& plan, const std::vector<size_t>& existing);

}  // namespace ExistingOutputsQuestion
