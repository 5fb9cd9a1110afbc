#include "http/MhdLibrary.h"

#include "core/SharedLibrary.h"

namespace brennic {

const MhdFunctions& Mhd() {
    static const MhdFunctions loaded = [] {
        MhdFunctions m;
        SharedLibrary library("libmicrohttpd.so.12");
        library.Find(m.add_response_header, "MHD_add_response_header");
        library.Find(m.create_response_from_buffer, "MHD_create_response_from_buffer");
        library.Find(m.create_response_from_callback, "MHD_create_response_from_callback");
        library.Find(m.destroy_response, "MHD_destroy_response");
        library.Find(m.get_connection_values, "MHD_get_connection_values");
        library.Find(m.get_daemon_info, "MHD_get_daemon_info");
        library.Find(m.lookup_connection_value, "MHD_lookup_connection_value");
        library.Find(m.queue_response, "MHD_queue_response");
        library.Find(m.resume_connection, "MHD_resume_connection");
        library.Find(m.start_daemon, "MHD_start_daemon");
        library.Find(m.stop_daemon, "MHD_stop_daemon");
        library.Find(m.suspend_connection, "MHD_suspend_connection");
        m.error = library.Error();
        return m;
    }();
    return loaded;
}

}  // namespace brennic
