#include "InputCheck.h"

#include "ProcessingJob.h"

namespace InputCheck {

namespace {

Problem FormatProblem(ProcessingJob& job) {
  long rate;
  int channels, encoding;
  // Not an MP3 at all: the decoder found no format to report.
  if (!job.GetFormat(&rate, &channels, &encoding)) return Problem::NotMp3;
  if (mpg123_encsize(encoding) != 2) return Problem::Not16Bit;
  if (channels != 2) return Problem::NotStereo;
  if (rate != 44100) return Problem::Not44100;
  return Problem::None;
}

}  // namespace

Problem Open(ProcessingJob& job, const KString& path, bool measureLength) {
  if (!job.OpenInput(path)) return Problem::CannotOpen;
  if (measureLength) job.MeasureLength();
  Problem problem = FormatProblem(job);
  if (problem != Problem::None) job.CloseInput();
  return problem;
}

}  // namespace InputCheck
