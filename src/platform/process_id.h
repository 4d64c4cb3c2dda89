// The running program's process number, to tell its files from another instance's.
#pragma once

namespace plat {

int ProcessId();

}  // namespace plat
