#include "core/Channels.h"

namespace brennic {

ChannelTable DefaultChannelTable() {
    ChannelTable table;
    for (int id = 0; id < kChannelCount; ++id) {
        table[id].colour = CatalogueEntry(id).colour;
        table[id].penWidth = 1;
        table[id].shortName = CatalogueEntry(id).shortName;
        table[id].longName = CatalogueEntry(id).longName;
    }
    return table;
}

}  // namespace brennic
