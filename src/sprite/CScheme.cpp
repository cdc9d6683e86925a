#include "SHP.h"
