#pragma once
// libmpv, and the whole of FFmpeg behind it, is loaded when the first movie
// opens rather than when a program starts: a program that shows no movie
// does not pay for it.
#include <mpv/client.h>
#include <mpv/render.h>

namespace platform {

struct MpvLibrary {
  decltype(&mpv_create) create;
  decltype(&mpv_initialize) initialize;
  decltype(&mpv_terminate_destroy) terminate_destroy;
  decltype(&mpv_set_option_string) set_option_string;
  decltype(&mpv_command) command;
  decltype(&mpv_command_async) command_async;
  decltype(&mpv_hook_add) hook_add;
  decltype(&mpv_hook_continue) hook_continue;
  decltype(&mpv_get_property) get_property;
  decltype(&mpv_set_property) set_property;
  decltype(&mpv_set_property_string) set_property_string;
  decltype(&mpv_observe_property) observe_property;
  decltype(&mpv_unobserve_property) unobserve_property;
  decltype(&mpv_wait_event) wait_event;
  decltype(&mpv_set_wakeup_callback) set_wakeup_callback;
  decltype(&mpv_render_context_create) render_context_create;
  decltype(&mpv_render_context_set_update_callback) render_context_set_update_callback;
  decltype(&mpv_render_context_update) render_context_update;
  decltype(&mpv_render_context_render) render_context_render;
  decltype(&mpv_render_context_free) render_context_free;
};

// The library's functions, or nullptr when libmpv cannot be loaded.
const MpvLibrary* Mpv();

}  // namespace platform
