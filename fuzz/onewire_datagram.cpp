// A One-Wire server's reply datagram, exactly as received, with the default probe rows.

#include <span>

#include "fuzz/FuzzSupport.h"
#include "links/OneWireDatagram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brennic;
    AppState state;
    fuzz::Quiet(state);
    state.config.oneWireProbes[4].id = "SWITCH";
    state.config.oneWireProbes[4].switchSelect = -3;
    ProcessOneWireReply(state, std::as_bytes(std::span(data, size)), 1243872000);
    return 0;
}
