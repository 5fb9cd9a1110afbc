#pragma once

namespace brennic {

// A core dump of Brennic holds whatever was in memory, the FTP password included, and lands
// where other users may read it. Turns core dumps off for this process (it also stops other
// processes of the user from attaching a debugger) unless BRENNIC_CORE_DUMPS=1 asks to keep
// them for a bug report. Returns whether they are off. Call once at start, before any thread.
bool KeepSecretsOutOfCoreDumps();

}  // namespace brennic
