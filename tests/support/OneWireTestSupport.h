#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "links/OneWireDatagram.h"

namespace brennic::testing {

// One reply entry as a server writes it. `name` is copied as is, up to its 17 bytes, so a
// 17-character name has no terminating NUL.
struct ReplyEntry {
    std::string name;
    int status = 0;
    double celsius = 0.0;
    bool isSwitch = false;
    int word = 0;
};

// A reply datagram of `size` bytes claiming `n` entries.
inline std::vector<std::byte> MakeReply(int n, const std::vector<ReplyEntry>& entries,
                                        std::size_t size = kOneWireDatagramSize) {
    std::vector<std::byte> d(kOneWireDatagramSize);
    WriteLe32(d, 4, n);
    WriteLe32(d, 8, 1);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const ReplyEntry& e = entries[k];
        const std::size_t offset = kOneWireHeadSize + kOneWireEntrySize * k;
        std::memcpy(d.data() + offset, e.name.data(), std::min(e.name.size(), kOneWireNameSize));
        d[offset + kOneWireStatusOffset] = static_cast<std::byte>(e.status);
        if (e.isSwitch) {
            WriteLe16(d, offset + kOneWireValueOffset, static_cast<std::int16_t>(e.word));
        } else {
            WriteLeDouble(d, offset + kOneWireValueOffset, e.celsius);
        }
    }
    d.resize(size);
    return d;
}

// The probe rows of the examples: "WAUX-1", " ", "WAUX-3", "", "SW-1".
inline OneWireProbes ExampleProbes(int switchSelect = 2) {
    OneWireProbes p;
    p[0].id = "WAUX-1";
    p[1].id = " ";
    p[2].id = "WAUX-3";
    p[3].id = "";
    p[4].id = "SW-1";
    p[4].switchSelect = switchSelect;
    return p;
}

}  // namespace brennic::testing
