// The framework's core classes: object base, exceptions, text string, arrays and lists.
#pragma once

#include "afxexcept.h"
#include "afxstr.h"
#include "afxcoll.h"
#include "afxlist.h"
#include "afxfile.h"
