#include "ApeTagRewriter.h"

#include <string>
#include <vector>

#include "LoudnessText.h"

using TagLib::ByteVector;

namespace {

constexpr unsigned int kEdgeBytes = 32;  // the header and the footer alike
constexpr unsigned int kSizeAt = 12;
constexpr unsigned int kCountAt = 16;
constexpr unsigned int kFlagsAt = 20;
constexpr unsigned int kHasHeader = 0x80000000u;
constexpr unsigned int kItemHeadBytes = 8;  // the value's size, the item's flags
constexpr unsigned int kItemKind = 0x6;     // 0: UTF-8 text
const char kReplayGain[] = "REPLAYGAIN_";

struct Item {
  ByteVector bytes;  // as stored
  std::string key;
  unsigned int flags = 0;
  ByteVector value;
};

// The items between the header and the footer, each whole, exactly as many
// as the footer counts and ending where it begins; false for anything else.
bool ReadItems(const ByteVector& tag, std::vector<Item>* items) {
  if (tag.size() < kEdgeBytes || !tag.mid(tag.size() - kEdgeBytes).startsWith("APETAGEX")) {
    return false;
  }
  ByteVector footer = tag.mid(tag.size() - kEdgeBytes);
  unsigned int end = tag.size() - kEdgeBytes;
  unsigned int at = (footer.toUInt(kFlagsAt, false) & kHasHeader) ? kEdgeBytes : 0;
  unsigned int count = footer.toUInt(kCountAt, false);
  for (unsigned int i = 0; i < count; ++i) {
    if (at + kItemHeadBytes > end) return false;
    Item item;
    unsigned int valueSize = tag.toUInt(at, false);
    item.flags = tag.toUInt(at + 4, false);
    int keyEnd = tag.find(ByteVector(1, '\0'), at + kItemHeadBytes);
    if (keyEnd < 0 || static_cast<unsigned int>(keyEnd) >= end) return false;
    unsigned int valueAt = static_cast<unsigned int>(keyEnd) + 1;
    if (valueSize > end - valueAt) return false;
    ByteVector key = tag.mid(at + kItemHeadBytes, valueAt - 1 - at - kItemHeadBytes);
    item.key = std::string(key.data(), key.size());
    item.value = tag.mid(valueAt, valueSize);
    item.bytes = tag.mid(at, valueAt + valueSize - at);
    items->push_back(item);
    at = valueAt + valueSize;
  }
  return at == end;
}

LoudnessText::Value ValueOf(const Item& item) {
  if (item.flags & kItemKind) return LoudnessText::Value::None;
  return LoudnessText::Named(item.key);
}

bool IsTrackValue(LoudnessText::Value value) {
  return value == LoudnessText::Value::TrackGain || value == LoudnessText::Value::TrackPeak;
}

// A tag that cannot be read item by item may still hold the values.
bool MayHoldReplayGain(const ByteVector& tag) {
  std::string text(tag.data(), tag.size());
  for (char& c : text) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return text.find(kReplayGain) != std::string::npos;
}

ByteVector ItemWithValue(const Item& item, const std::string& value) {
  ByteVector text(value.data(), static_cast<unsigned int>(value.size()));
  return ByteVector::fromUInt(text.size(), false) + ByteVector::fromUInt(item.flags, false) +
         ByteVector(item.key.data(), static_cast<unsigned int>(item.key.size())) +
         ByteVector(1, '\0') + text;
}

// A header or footer with the tag's new size (items and footer) and count.
ByteVector Edge(const ByteVector& edge, unsigned int itemBytes, unsigned int count) {
  return edge.mid(0, kSizeAt) + ByteVector::fromUInt(itemBytes + kEdgeBytes, false) +
         ByteVector::fromUInt(count, false) + edge.mid(kFlagsAt);
}

}  // namespace

ApeTagRewriter::Result ApeTagRewriter::Rewrite(const ByteVector& tag,
                                               const TrackLoudness& loudness,
                                               ByteVector* written) {
  std::vector<Item> items;
  if (!ReadItems(tag, &items)) {
    if (MayHoldReplayGain(tag)) return Result::Unknowable;
    *written = tag;
    return Result::Written;
  }
  ByteVector kept;
  unsigned int count = 0;
  for (const Item& item : items) {
    LoudnessText::Value value = ValueOf(item);
    if (value == LoudnessText::Value::Album) continue;
    if (IsTrackValue(value) && !loudness.Known()) return Result::Unknowable;
    std::string old(item.value.data(), item.value.size());
    if (value == LoudnessText::Value::TrackGain) {
      kept.append(ItemWithValue(item, LoudnessText::Gain(old, loudness.GainDb())));
    } else if (value == LoudnessText::Value::TrackPeak) {
      kept.append(ItemWithValue(item, LoudnessText::Peak(loudness.Peak())));
    } else {
      kept.append(item.bytes);
    }
    ++count;
  }
  ByteVector footer = tag.mid(tag.size() - kEdgeBytes);
  bool header = footer.toUInt(kFlagsAt, false) & kHasHeader;
  *written = (header ? Edge(tag.mid(0, kEdgeBytes), kept.size(), count) : ByteVector()) + kept +
             Edge(footer, kept.size(), count);
  return Result::Written;
}

bool ApeTagRewriter::NeedsMeasuring(const ByteVector& tag) {
  std::vector<Item> items;
  if (!ReadItems(tag, &items)) return MayHoldReplayGain(tag);
  for (const Item& item : items) {
    if (IsTrackValue(ValueOf(item))) return true;
  }
  return false;
}
