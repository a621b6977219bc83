#include "schemes.h"
