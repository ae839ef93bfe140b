// All exported families of the library.
#pragma once

#include "ovstoolmodule.h"
#include "ovstooldbgreport.h"
#include "ovsreg.h"
#include "ovsregcurrentuser.h"
#include "ovstoolseparators.h"
#include "ovstoolnumberformat.h"
#include "ovstoolstatistics.h"
#include "ovstoolpaths.h"
#include "ovstoolstring.h"
#include "ovstoollogicalpath.h"
#include "ovstooluniquenames.h"
#include "ovstooltemppath.h"
#include "ovstoolvariant.h"
#include "ovstoolreleaselog.h"
#include "ovstooldate.h"
