// The monotonic clock of frame time stamps and round trips.
#pragma once

// Milliseconds from a fixed point (the system's boot, say), in double
// precision: never set back, unmoved by clean starts.
double clockMs();
