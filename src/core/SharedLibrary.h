#pragma once

#include <string>

namespace brennic {

// A library opened when it is first needed rather than at every start: each library linked
// in the usual way is loaded and initialised before main, and the window's start-up pays for
// those it may never use (the dashboard's, MQTT's and the FTP client's bring TLS stacks).
// The library stays open for the rest of the program.
class SharedLibrary {
  public:
    explicit SharedLibrary(const char* soname);

    // Sets `function` to the library's function `name`; a missing one is noted in Error().
    template <typename F>
    void Find(F& function, const char* name) {
        function = reinterpret_cast<F>(Symbol(name));
    }

    // Why the library or one of its functions could not be found; empty when all were.
    const std::string& Error() const { return error_; }

  private:
    void* Symbol(const char* name);

    std::string soname_;
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace brennic
