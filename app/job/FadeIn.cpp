#include "FadeIn.h"

#include "SampleTransforms.h"

FadeIn::FadeIn() : started(false), length(0), position(0) {}

// Until a block is decoded nothing is faded: a plug-in may still give back
// what it held of the last job.
void FadeIn::Restart() {
  started = false;
  length = 0;
  position = 0;
}

void FadeIn::Measure(AudioBlock decoded) {
  if (started || decoded.IsEmpty()) return;
  started = true;
  length = decoded.Values() / 4;
  position = 0;
}

void FadeIn::Apply(AudioBlock block) {
  if (position < length) {
    SampleTransforms::FadeInPart(block.samples, block.Values(), position, length);
  }
  position += block.Values();
}
