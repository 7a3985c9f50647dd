#include "tool/canvas.h"

#include "tool/window.h"

void Draw() { Show(); }
