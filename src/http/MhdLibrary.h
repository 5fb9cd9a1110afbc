#pragma once

#include <microhttpd.h>

#include <string>

namespace brennic {

// The functions of libmicrohttpd this server uses. The library and its TLS stack are loaded
// when a server first starts rather than at every start of the program: the window's dashboard
// starts after its first picture, and most windowless commands serve nothing.
struct MhdFunctions {
    decltype(&::MHD_add_response_header) add_response_header = nullptr;
    decltype(&::MHD_create_response_from_buffer) create_response_from_buffer = nullptr;
    decltype(&::MHD_create_response_from_callback) create_response_from_callback = nullptr;
    decltype(&::MHD_destroy_response) destroy_response = nullptr;
    decltype(&::MHD_get_connection_values) get_connection_values = nullptr;
    decltype(&::MHD_get_daemon_info) get_daemon_info = nullptr;
    decltype(&::MHD_lookup_connection_value) lookup_connection_value = nullptr;
    decltype(&::MHD_queue_response) queue_response = nullptr;
    decltype(&::MHD_resume_connection) resume_connection = nullptr;
    decltype(&::MHD_start_daemon) start_daemon = nullptr;
    decltype(&::MHD_stop_daemon) stop_daemon = nullptr;
    decltype(&::MHD_suspend_connection) suspend_connection = nullptr;
    std::string error;  // why the library cannot be used; empty when it can
};

// Loads the library once for the program (any thread). Its functions may be called only when
// `error` is empty, i.e. by a server that has started.
const MhdFunctions& Mhd();

}  // namespace brennic
