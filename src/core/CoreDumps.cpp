#include "core/CoreDumps.h"

#include <sys/prctl.h>

#include <cstdlib>
#include <cstring>

namespace brennic {

bool KeepSecretsOutOfCoreDumps() {
    const char* keep = std::getenv("BRENNIC_CORE_DUMPS");
    if (keep != nullptr && std::strcmp(keep, "1") == 0) {
        return false;
    }
    return ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
}

}  // namespace brennic
