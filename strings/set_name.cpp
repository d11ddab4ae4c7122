#include "strings/set_name.h"

bool IsSetName(const char *name, size_t length) {
    if (length == 0 || length > kMaxSetNameLength || name[0] == '.') {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        char c = name[i];
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '_' || c == '-' || c == '.';
        if (!plain) {
            return false;
        }
    }
    return true;
}

bool IsSetName(const std::string &name) {
    return IsSetName(name.data(), name.size());
}
