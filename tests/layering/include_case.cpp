// One include a library may use, and, built a second time, one it must not: the second build
// failing is what the test of the case asks.
#include VELTRA_ALLOWED
#ifdef VELTRA_WRONG
#include VELTRA_WRONG
#endif
