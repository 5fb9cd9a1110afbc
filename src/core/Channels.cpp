#include "core/Channels.h"

namespace brennic {

ChannelTable DefaultChannelTable() {
    ChannelTable table;
    for (int id = 0; id < kChannelCount; ++id) {
        table[id].colour = Spec(id).colour;
        table[id].penWidth = 1;
        table[id].shortName = Spec(id).shortName;
        table[id].longName = Spec(id).longName;
    }
    return table;
}

}  // namespace brennic
