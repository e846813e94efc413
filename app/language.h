// The resource language selection: the user's language decides which of the twelve language
// sets the program shows.
#pragma once

#include "platform/win32.h"

// Maps the thread's language id to the language id of one of the twelve sets.
LANGID SelectResourceLanguage(LANGID langId);
