#include "Imaging.h"
