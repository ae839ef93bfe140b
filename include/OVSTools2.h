#include "ovstoolchrom.h"
#include "ovstoolquant.h"
#include "ovstoolgc.h"
