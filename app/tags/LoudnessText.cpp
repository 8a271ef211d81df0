#include "LoudnessText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

constexpr int kCommonDecimals = 2;
constexpr int kMostDecimals = 6;
// iTunNORM: ten words; the gain left and right of 1000 and of 2500, and
// the peaks left and right, 32767 at full scale.
constexpr size_t kSoundCheckWords = 10;
constexpr size_t kGainOf1000 = 0;
constexpr size_t kGainOf2500 = 2;
constexpr size_t kPeaks = 6;
constexpr double kLargestSoundCheck = 65534.0;
constexpr double kFullScale = 32768.0;

std::string Upper(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// How a gain was written: what came before the number, its sign ('+',
// '-' or none), its decimals, and what came after it (the unit).
struct GainForm {
  std::string before;
  char sign = '+';
  int decimals = kCommonDecimals;
  std::string after = " dB";
};

bool ReadForm(const std::string& text, GainForm* form) {
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  form->before = text.substr(0, at);
  form->sign = '\0';
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) form->sign = text[at++];
  size_t whole = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  bool digits = at > whole;
  int decimals = 0;
  if (at < text.size() && text[at] == '.') {
    size_t first = ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    decimals = static_cast<int>(at - first);
  }
  if (!digits && decimals == 0) return false;
  // A whole number of decibels is too coarse to keep; more than six
  // decimals are beyond what the measurement knows.
  form->decimals = decimals == 0 ? kCommonDecimals : decimals > kMostDecimals ? kMostDecimals : decimals;
  form->after = text.substr(at);
  return true;
}

std::string Hex(double value, double largest) {
  double clamped = value < 0 ? 0 : value > largest ? largest : value;
  char word[16];
  std::snprintf(word, sizeof word, "%08X", static_cast<unsigned int>(std::lround(clamped)));
  return word;
}

}  // namespace

LoudnessText::Value LoudnessText::Named(const std::string& name) {
  std::string upper = Upper(name);
  if (upper == "REPLAYGAIN_TRACK_GAIN") return Value::TrackGain;
  if (upper == "REPLAYGAIN_TRACK_PEAK") return Value::TrackPeak;
  if (upper == "REPLAYGAIN_ALBUM_GAIN" || upper == "REPLAYGAIN_ALBUM_PEAK") return Value::Album;
  return Value::None;
}

// A writer that put no '+' before a positive gain gets none; one that did,
// or whose gain was negative (its style for positive ones unknown), gets
// the common '+'. A gain that rounds to zero is not negative.
std::string LoudnessText::Gain(const std::string& input, double gainDb) {
  GainForm form;
  if (!ReadForm(input, &form)) form = GainForm();
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.*f", form.decimals, std::fabs(gainDb));
  bool zero = true;
  for (const char* c = digits; *c; ++c) zero = zero && (*c == '0' || *c == '.');
  std::string sign = gainDb < 0 && !zero ? "-" : form.sign == '\0' ? "" : "+";
  return form.before + sign + digits + form.after;
}

std::string LoudnessText::Peak(double peak) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", peak);
  return text;
}

// Sound Check's gain is 1000 (or 2500) times the power ratio that brings
// the track to the reference: 10^(-gain / 10) of it.
std::string LoudnessText::SoundCheck(const std::string& input, const TrackLoudness& loudness) {
  std::vector<std::string> words;
  std::istringstream stream(input);
  for (std::string word; stream >> word && words.size() < kSoundCheckWords;) words.push_back(word);
  words.resize(kSoundCheckWords, "00000000");
  double power = std::pow(10.0, -loudness.GainDb() / 10.0);
  for (size_t channel = 0; channel < 2; ++channel) {
    words[kGainOf1000 + channel] = Hex(1000.0 * power, kLargestSoundCheck);
    words[kGainOf2500 + channel] = Hex(2500.0 * power, kLargestSoundCheck);
    words[kPeaks + channel] = Hex(loudness.channelPeaks[channel] * kFullScale, kFullScale - 1);
  }
  std::string text;
  for (const std::string& word : words) text += " " + word;
  return text;
}
