#include "app/level_set_view.h"
