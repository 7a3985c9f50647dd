#include "tool/window.h"

#include "tool/canvas.h"

void Show() {}
