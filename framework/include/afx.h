// The framework's core classes: object base, exceptions, text string and arrays.
#pragma once

#include "afxexcept.h"
#include "afxstr.h"
#include "afxcoll.h"
#include "afxfile.h"
