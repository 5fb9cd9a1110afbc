#include "ui/window/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace brennic {

FontWarmUp::FontWarmUp() : thread_([] { FcInit(); }) {}

void FontWarmUp::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace brennic
