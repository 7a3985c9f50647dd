// A fixture: two components that include each other.
#pragma once
void Draw();
