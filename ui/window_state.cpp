// The window layer's one state block.
#include "window_state.h"

WindowState Ui;
