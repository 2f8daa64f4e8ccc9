#include "platform/media/Mixer.h"

#include <alsa/asoundlib.h>

namespace platform {
namespace {

void Silent(const char*, int, const char*, int, const char*, ...) {}

snd_mixer_t* Handle(void* handle) { return static_cast<snd_mixer_t*>(handle); }

}  // namespace

bool AlsaMixer::Open() {
  Close();
  // alsa-lib would otherwise print every failure to stderr.
  snd_lib_error_set_handler(&Silent);
  snd_mixer_t* handle = nullptr;
  if (snd_mixer_open(&handle, 0) < 0 || handle == nullptr) return false;
  if (snd_mixer_attach(handle, "default") < 0 || snd_mixer_selem_register(handle, nullptr, nullptr) < 0 ||
      snd_mixer_load(handle) < 0) {
    snd_mixer_close(handle);
    return false;
  }
  handle_ = handle;
  return true;
}

bool AlsaMixer::FindMasterVolume(long* minimum, long* maximum) {
  element_ = nullptr;
  if (handle_ == nullptr) return false;
  snd_mixer_selem_id_t* id = nullptr;
  if (snd_mixer_selem_id_malloc(&id) < 0) return false;
  snd_mixer_selem_id_set_index(id, 0);
  snd_mixer_selem_id_set_name(id, "Master");
  snd_mixer_elem_t* element = snd_mixer_find_selem(Handle(handle_), id);
  snd_mixer_selem_id_free(id);
  if (element == nullptr || !snd_mixer_selem_has_playback_volume(element)) return false;
  if (snd_mixer_selem_get_playback_volume_range(element, minimum, maximum) < 0) return false;
  element_ = element;
  return true;
}

bool AlsaMixer::SetMasterVolume(long value) {
  if (element_ == nullptr) return false;
  return snd_mixer_selem_set_playback_volume_all(static_cast<snd_mixer_elem_t*>(element_), value) >= 0;
}

void AlsaMixer::Close() {
  element_ = nullptr;
  if (handle_ != nullptr) {
    snd_mixer_close(Handle(handle_));
    handle_ = nullptr;
  }
}

}  // namespace platform
