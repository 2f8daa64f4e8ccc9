#pragma once
// The computer's master volume: the "Master" playback volume of the default
// sound card, in the steps the movie player takes (open, find the control,
// set it, close). Tests put a recording stand-in in place of the real one.

namespace platform {

class Mixer {
 public:
  virtual ~Mixer() = default;
  // Opens the mixer of the default sound card; false when there is none.
  virtual bool Open() = 0;
  // Finds the master playback volume control of the open mixer and its range.
  virtual bool FindMasterVolume(long* minimum, long* maximum) = 0;
  // Sets every channel of the control found to `value`.
  virtual bool SetMasterVolume(long value) = 0;
  // Releases the mixer; harmless when nothing is open.
  virtual void Close() = 0;
};

// The ALSA simple mixer. Reports nothing on the terminal: every failing step
// answers false and leaves nothing open once Close has run.
class AlsaMixer final : public Mixer {
 public:
  AlsaMixer() = default;
  ~AlsaMixer() override { Close(); }
  AlsaMixer(const AlsaMixer&) = delete;
  AlsaMixer& operator=(const AlsaMixer&) = delete;

  bool Open() override;
  bool FindMasterVolume(long* minimum, long* maximum) override;
  bool SetMasterVolume(long value) override;
  void Close() override;

 private:
  void* handle_ = nullptr;   // snd_mixer_t
  void* element_ = nullptr;  // snd_mixer_elem_t of "Master"
};

}  // namespace platform
