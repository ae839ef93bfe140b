// All exported families of the library.
#pragma once

#include "ovstoolmodule.h"
#include "ovstooldbgreport.h"
#include "ovsreg.h"
#include "ovstoolseparators.h"
#include "ovstoolvariant.h"
#include "ovstoolreleaselog.h"
#include "ovstooldate.h"
#include "ovstoolpaths.h"
#include "ovstooluniquenames.h"
#include "ovstooltemppath.h"
#include "ovstoolstring.h"
#include "ovstoollogicalpath.h"
