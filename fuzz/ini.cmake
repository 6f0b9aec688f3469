quenby_fuzz_target(ini_fuzz SOURCES IniFuzz.cpp LIBS quenby_settings)
