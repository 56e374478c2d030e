// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The entry points of libpulse used by the sound output, each typed from its
// real prototype. Private to audio/playback: it includes the library's headers.

#include <pulse/pulseaudio.h>

#define AU_PULSE_ENTRY_POINTS(X)                                                            \
    X(pa_threaded_mainloop_new)                                                             \
    X(pa_threaded_mainloop_free)                                                            \
    X(pa_threaded_mainloop_start)                                                           \
    X(pa_threaded_mainloop_stop)                                                            \
    X(pa_threaded_mainloop_lock)                                                            \
    X(pa_threaded_mainloop_unlock)                                                          \
    X(pa_threaded_mainloop_wait)                                                            \
    X(pa_threaded_mainloop_signal)                                                          \
    X(pa_threaded_mainloop_get_api)                                                         \
    X(pa_context_new)                                                                       \
    X(pa_context_unref)                                                                     \
    X(pa_context_connect)                                                                   \
    X(pa_context_disconnect)                                                                \
    X(pa_context_get_state)                                                                 \
    X(pa_context_set_state_callback)                                                        \
    X(pa_context_errno)                                                                     \
    X(pa_strerror)                                                                          \
    X(pa_context_get_sink_info_list)                                                        \
    X(pa_context_set_sink_input_volume)                                                     \
    X(pa_operation_get_state)                                                               \
    X(pa_operation_set_state_callback)                                                      \
    X(pa_operation_unref)                                                                   \
    X(pa_stream_new)                                                                        \
    X(pa_stream_unref)                                                                      \
    X(pa_stream_connect_playback)                                                           \
    X(pa_stream_disconnect)                                                                 \
    X(pa_stream_get_state)                                                                  \
    X(pa_stream_set_state_callback)                                                         \
    X(pa_stream_set_underflow_callback)                                                     \
    X(pa_stream_get_buffer_attr)                                                            \
    X(pa_stream_get_index)                                                                  \
    X(pa_stream_writable_size)                                                              \
    X(pa_stream_begin_write)                                                                \
    X(pa_stream_write)                                                                      \
    X(pa_stream_cork)                                                                       \
    X(pa_stream_trigger)                                                                    \
    X(pa_stream_update_timing_info)                                                         \
    X(pa_stream_get_time)                                                                   \
    X(pa_cvolume_set)                                                                       \
    X(pa_sw_volume_from_dB)

namespace au {

struct TPulseBinding {
#define AU_PULSE_FIELD(Name) decltype(&::Name) Name = nullptr;
    AU_PULSE_ENTRY_POINTS(AU_PULSE_FIELD)
#undef AU_PULSE_FIELD
};

} // namespace au
