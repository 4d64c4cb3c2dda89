#pragma once

// A random integer from the smaller to the larger bound, both included, from the calling
// thread's generator. A span wider than 32768 values never reaches its top.
int RandomRange(int a, int b);
