#include "launch/options.h"

Options options;
