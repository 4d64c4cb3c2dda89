// std::chrono's durations and clocks without <chrono> itself: its C++20 stream output
// holds a micro sign that the CP932 execution character set cannot represent, so any
// translation unit including <chrono> fails to compile here. <condition_variable>
// brings the durations, time points and clocks, which is all the program uses.
#pragma once

#include <condition_variable>
