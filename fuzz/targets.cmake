# k4_fuzz_target(fuzz_NAME src/...cpp ...) lines are added per reader.
