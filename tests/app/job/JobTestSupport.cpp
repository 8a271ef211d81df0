#include "JobTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "TestEnvironment.h"

JobRunner::JobRunner() { job.SetUp(); }

JobRunner::~JobRunner() { WaitForFinish(); }

void JobRunner::Run() {
  while (holdWorker) Sleep(1);
  job.Run(*this);
  running = false;
}

void JobRunner::ShowProgress(int percent) {
  progress.push_back(percent);
  progressTimes.push_back(GetTickCount());
}

void JobRunner::StopMarquee() { marqueeStopped = true; }

void JobRunner::ShowPreviewEnd(JobEnding ending) { endings.push_back(ending); }

void JobRunner::ShowConversionEnd(JobEnding ending) { endings.push_back(ending); }

bool JobRunner::PrepareConversion(const std::string& input, const std::string& output, int kbps,
                                  int quality) {
  long rate;
  int channels, encoding;
  if (!job.OpenInput(KString(input.c_str())) || !job.GetFormat(&rate, &channels, &encoding)) {
    return false;
  }
  job.MeasureLength();
  return job.CreateOutput(KString(output.c_str())) && job.PrepareConversion(kbps, quality);
}

void JobRunner::RunToEnd() {
  ASSERT_TRUE(Begin());
  WaitUntilIdle();
}

bool JobRunner::Begin() { return job.Begin() && Start(); }

void JobRunner::WaitUntilIdle() {
  while (!job.State().IsIdle()) Sleep(10);
}
