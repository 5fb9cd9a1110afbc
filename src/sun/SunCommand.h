#pragma once

#include <ctime>
#include <ostream>
#include <string>

#include "config/Config.h"

namespace brennic {

// `brennic --sun "YYYY-MM-DD HH:MM:SS"`: the sun calculator for the configured array at a
// local time, with the array at 175 °F and the air at 70 °F, printed to `out` as one JSON
// object (angles in degrees, equation of time in minutes). A malformed or impossible date
// writes a message to `err` and returns 2; success returns 0. Any thread; reads only `config`.
int RunSunCommand(const Config& config, const std::string& when, std::ostream& out,
                  std::ostream& err);

// Parses "YYYY-MM-DD HH:MM:SS" as local time (the test time offset applies). A clock time
// that a daylight-saving change skips is moved forward as mktime does. False when the text
// does not have that form or names a date or time that does not exist.
bool ParseLocalDateTime(const std::string& text, std::time_t& out);

}  // namespace brennic
