#include "FpuState.h"

namespace {

// MXCSR's sticky exception flags (IE, DE, ZE, OE, UE, PE).
constexpr uint32_t kMxcsrFlags = 0x3F;
// The x87 status word's TOP field, bits 11-13.
constexpr int kTopShift = 11;
constexpr uint16_t kTopMask = 0x7;
constexpr uint16_t kAllEmpty = 0xFFFF;

// What fnstenv stores in 32-bit protected mode.
struct X87Environment {
  uint16_t control;
  uint16_t unused1;
  uint16_t status;
  uint16_t unused2;
  uint16_t tag;
  uint16_t unused3;
  uint32_t pointers[4];
};

}  // namespace

FpuState FpuState::Current() {
  FpuState state = {};
  __asm__ volatile("fnstcw %0" : "=m"(state.control));
  __asm__ volatile("stmxcsr %0" : "=m"(state.mxcsr));
  return state;
}

const FpuState& FpuState::Host() {
  static const FpuState host = Current();
  return host;
}

FpuState FpuState::FromPacked(uint64_t packed) {
  FpuState state = {};
  state.control = static_cast<uint16_t>(packed & 0xFFFF);
  state.mxcsr = static_cast<uint32_t>(packed >> 16);
  return state;
}

// fnstenv masks every x87 exception after it stores, and fninit resets the
// control word: the control word is always loaded last. fninit runs only
// when something is left, since a value left on the stack is rare and the
// check is cheaper.
void FpuState::Load() const {
  X87Environment environment = {};
  __asm__ volatile("fnstenv %0" : "=m"(environment));
  bool stackUsed =
      ((environment.status >> kTopShift) & kTopMask) != 0 || environment.tag != kAllEmpty;
  if (stackUsed) __asm__ volatile("fninit");
  __asm__ volatile("fnclex");
  uint16_t newControl = control;
  uint32_t newMxcsr = mxcsr & ~kMxcsrFlags;
  __asm__ volatile("fldcw %0" : : "m"(newControl));
  __asm__ volatile("ldmxcsr %0" : : "m"(newMxcsr));
}
