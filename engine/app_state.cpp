// The single statically allocated state block (zero-initialised as a static object).
#include "app_state.h"

AppState App;
