#include "core/SharedLibrary.h"

#include <dlfcn.h>

namespace brennic {

SharedLibrary::SharedLibrary(const char* soname) : soname_(soname) {
    handle_ = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = ::dlerror();
        error_ = soname_ + " cannot be loaded: " + (why != nullptr ? why : "no reason given");
    }
}

void* SharedLibrary::Symbol(const char* name) {
    if (handle_ == nullptr) {
        return nullptr;
    }
    void* symbol = ::dlsym(handle_, name);
    if (symbol == nullptr && error_.empty()) {
        error_ = soname_ + " has no function " + name + " (an older version?)";
    }
    return symbol;
}

}  // namespace brennic
