#pragma once

class KTrackBar;

// Told of every step the user moves a track bar it listens to.
class KTrackBarListener {
 public:
  virtual ~KTrackBarListener() = default;
  virtual void TrackBarMoved(KTrackBar* /*trackBar*/) {}
};
