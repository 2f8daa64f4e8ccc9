#include "platform/media/MpvLibrary.h"

#include <QLibrary>

namespace platform {

const MpvLibrary* Mpv() {
  static const MpvLibrary* loaded = [] () -> const MpvLibrary* {
    static QLibrary library(QStringLiteral("mpv"), MPV_CLIENT_API_VERSION >> 16);
    if (!library.load()) return nullptr;
    static MpvLibrary api;
    bool complete = true;
    auto bind = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(library.resolve(name));
      complete = complete && slot != nullptr;
    };
    bind(api.create, "mpv_create");
    bind(api.initialize, "mpv_initialize");
    bind(api.terminate_destroy, "mpv_terminate_destroy");
    bind(api.set_option_string, "mpv_set_option_string");
    bind(api.command, "mpv_command");
    bind(api.command_async, "mpv_command_async");
    bind(api.hook_add, "mpv_hook_add");
    bind(api.hook_continue, "mpv_hook_continue");
    bind(api.get_property, "mpv_get_property");
    bind(api.set_property, "mpv_set_property");
    bind(api.set_property_string, "mpv_set_property_string");
    bind(api.observe_property, "mpv_observe_property");
    bind(api.unobserve_property, "mpv_unobserve_property");
    bind(api.wait_event, "mpv_wait_event");
    bind(api.set_wakeup_callback, "mpv_set_wakeup_callback");
    bind(api.render_context_create, "mpv_render_context_create");
    bind(api.render_context_set_update_callback, "mpv_render_context_set_update_callback");
    bind(api.render_context_update, "mpv_render_context_update");
    bind(api.render_context_render, "mpv_render_context_render");
    bind(api.render_context_free, "mpv_render_context_free");
    return complete ? &api : nullptr;
  }();
  return loaded;
}

}  // namespace platform
