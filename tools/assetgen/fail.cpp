#include "fail.h"

#include <cstdio>
#include <cstdlib>

void Fail(const std::string &what) {
    std::fprintf(stderr, "assetgen: %s\n", what.c_str());
    std::exit(1);
}
