#include "core/SharedLibrary.h"

#include <gtest/gtest.h>

#include <cstring>

namespace brennic {
namespace {

// A library or function that cannot be found must say so, never look loaded.
TEST(SharedLibrary, SaysWhatCannotBeFound) {
    const struct {
        const char* soname;
        const char* function;
        const char* error;  // the start of Error(); empty: found
    } cases[] = {
        {"libc.so.6", "strlen", ""},
        {"libc.so.6", "no_such_function", "libc.so.6 has no function no_such_function"},
        {"libbrennic-none.so.1", "strlen", "libbrennic-none.so.1 cannot be loaded: "},
    };
    for (const auto& c : cases) {
        SharedLibrary library(c.soname);
        decltype(&std::strlen) function = nullptr;
        library.Find(function, c.function);
        SCOPED_TRACE(std::string(c.soname) + " " + c.function);
        EXPECT_EQ(library.Error().substr(0, std::strlen(c.error)), c.error);
        EXPECT_EQ(library.Error().empty(), function != nullptr);
        if (function != nullptr) {
            EXPECT_EQ(function("brennic"), 7u);
        }
    }
}

}  // namespace
}  // namespace brennic
