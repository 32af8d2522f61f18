// Must not compile: alert sources see the platform contract only, never the
// stand-in's own headers.
#include "Standin.h"
